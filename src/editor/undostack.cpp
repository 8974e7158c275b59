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
        platform::deleteFile(file, programDir_);
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
    platform::deleteFile(UndoFile(depth_));
    --depth_;
    if (depth_ == 0) picture_.clear();
    return true;
}

void UndoStack::Clear()
{
    depth_ = 0;
    picture_.clear();
    for (const auto& e : platform::findFiles(programDir_, QStringLiteral("UNDO_*.jpg")))
        if (!(e.attributes & platform::faDirectory)) platform::deleteFile(programDir_ + e.name, programDir_);
}

} // namespace editor
