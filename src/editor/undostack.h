#pragma once
// The undo stack of the selected show picture: files "UNDO_" + n + ".jpg" in the program
// directory, n = 1 .. depth, file n holding the picture as it was before the n-th edit. The
// stack belongs to one picture file: it is emptied when an edit or an undo meets another file.
#include <QString>

namespace editor {

class UndoStack {
public:
    explicit UndoStack(const QString& programDir);

    int Depth() const { return depth_; }
    // The picture the stack belongs to (empty while the stack is empty).
    const QString& Picture() const { return picture_; }
    QString UndoFile(int n) const;

    // Copies picture, byte for byte, as the next undo file. An edit of another picture than the
    // one the stack belongs to empties the stack first. False (and the depth unchanged) when the
    // copy could not be made; the edit must not go on then.
    bool Push(const QString& picture);
    // Copies the last undo file back over the picture it was taken from and drops it. False
    // when the stack is empty or belongs to another picture than `picture` (which empties it).
    // A missing undo file copies nothing; the depth still goes down.
    bool Undo(const QString& picture);
    // Deletes the last undo file without copying it back: the edit it was taken for did not
    // change the picture (its write failed). False when the stack is empty.
    bool DropLast();
    // Empties the stack and deletes every "UNDO_*.jpg" of the program directory.
    void Clear();

private:
    QString programDir_;
    QString picture_;
    int depth_ = 0;
};

} // namespace editor
