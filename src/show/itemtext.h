#pragma once
// The picture items of the list controls: an image tag on a thumbnail followed by text, such as
// a file name or a "Pictures.ini" line. The text is the user's (names and captions): it goes into
// the markup escaped, so that it shows exactly as typed and never becomes markup, and every
// reader gets it back unescaped, character for character.
#include <QString>

namespace show {

// Text as item markup: "<", ">" and "&" become entities; an "&" followed by a letter is closed
// by an empty tag, so that the renderer, which decodes entities over and over, never reads it
// together with the following letters as another entity ("&lt;" typed stays "&lt;").
QString EscapeItemText(const QString& text);
// The text that escaped markup stands for (the exact inverse of EscapeItemText).
QString UnescapeItemText(const QString& markup);

// <IMG src="file://THUMBNAIL" align="top"> followed by the text, escaped.
QString PictureItem(const QString& thumbnailPath, const QString& text);
// The text of an item: what follows the image tag (the first ">"), unescaped; an item without
// ">" is text as a whole.
QString PictureItemText(const QString& item);
// The thumbnail an item shows: its image source without "file://"; empty without one.
QString PictureItemThumbnail(const QString& item);
// The item with the same image tag and another text.
QString PictureItemWithText(const QString& item, const QString& text);

} // namespace show
