#pragma once
// TPixTwain: the scanner component. It lets the user choose a source (scanner or camera) and
// acquires one picture from it into a bitmap it owns; every engine result becomes its last
// result and, while EnableMethodErrors is on, an EPixTwainError.
#include "sdk/bitmap.h"
#include "sdk/errors.h"
#include "sdk/twain.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace imaging {

using sdk::EPixTwainError;

class TPixTwain;

using TTwainNotifyEvent = std::function<void(TPixTwain* Sender)>;
// Declared for transfers through files; this component transfers in memory and fires neither.
using TTwainFileEvent = std::function<void(TPixTwain* Sender, QString& FileName)>;
using TTwainFileFormatEvent = std::function<void(TPixTwain* Sender, int& Format)>;

class TPixTwain : public QObject {
    Q_OBJECT

public:
    explicit TPixTwain(QObject* parent = nullptr);
    ~TPixTwain() override;

    int TwainSelect();
    int TwainAcquire();
    int TwainRealize();

    // The acquired bitmap, or null when there is none.
    sdk::SdkBitmapHandle* Bitmap();
    int LastResult() const { return fLastResult; }
    QString GetLastErrorText() const;

    bool EnableMethodErrors() const { return fEnableMethodErrors; }
    void SetEnableMethodErrors(bool Value) { fEnableMethodErrors = Value; }
    bool EnableTwainEvent() const { return fEnableTwainEvent; }
    void SetEnableTwainEvent(bool Value) { fEnableTwainEvent = Value; }
    int AcquireFlags() const { return fAcquireFlags; }
    void SetAcquireFlags(int Value) { fAcquireFlags = Value; }
    // The source properties written to the source before acquiring.
    sdk::PxTwainProps& SourceProps() { return fProps; }
    // The stored source properties have been written to the current source.
    bool Realized() const { return fRealized; }

    TTwainNotifyEvent OnTwainPage;
    TTwainFileEvent OnTwainFile;
    TTwainFileFormatEvent OnTwainFileFormat;

private:
    // Stores the result; raises when it is a failure and EnableMethodErrors is on.
    int checkResult(const QString& methodName, int result);
    // The window the engine's dialogs belong to.
    QWidget* window() const;

    sdk::SdkBitmapHandle fBitmap;
    int fLastResult = 1;
    bool fEnableMethodErrors = true;
    bool fEnableTwainEvent = false;
    int fAcquireFlags = 3;
    sdk::PxTwainProps fProps;
    bool fRealized = false;
};

} // namespace imaging
