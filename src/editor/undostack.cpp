#include "undostack.h"

#include "platform/files.h"
#include "util/strutils.h"

namespace editor {

UndoStack::UndoStack(const QString& programDir) : programDir_(EnsureTrailingBackslash(programDir)) {}

QString UndoStack::UndoFile(int n) const { return programDir_ + QStringLiteral("UNDO_") + QString::number(n) + QStringLiteral(".jpg"); }

bool UndoStack::Push(const QString& picture)
{
    if (depth_ > 0 && picture_.compare(picture, Qt::CaseInsensitive) != 0) Clear();
    if (!platform::isRegularFile(picture)) return false;
    const QString file = UndoFile(depth_ + 1);
    if (!platform::copyFile(picture, file, false, programDir_)) {
        (void)platform::deleteFile(file, programDir_); // an old undo file of that depth: the next push replaces it
        return false;
    }
    ++depth_;
    picture_ = picture;
    return true;
}

bool UndoStack::Undo(const QString& picture)
{
    if (depth_ <= 0) return false;
    if (picture_.compare(picture, Qt::CaseInsensitive) != 0) {
        Clear();
        return false;
    }
    const QString file = UndoFile(depth_);
    bool copied = false;
    if (platform::fileExists(file)) copied = platform::copyFile(file, picture_);
    --depth_;
    if (depth_ == 0) picture_.clear();
    return copied;
}

bool UndoStack::DropLast()
{
    if (depth_ <= 0) return false;
    (void)platform::deleteFile(UndoFile(depth_)); // as above: the next push at this depth replaces it
    --depth_;
    if (depth_ == 0) picture_.clear();
    return true;
}

void UndoStack::Clear()
{
    depth_ = 0;
    picture_.clear();
    for (const auto& e : platform::findFiles(programDir_, QStringLiteral("UNDO_*.jpg")))
        if (!(e.attributes & platform::faDirectory)) (void)platform::deleteFile(programDir_ + e.name, programDir_); // as above
}

} // namespace editor
