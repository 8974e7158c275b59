#include "imaging/pixtwain.h"
#include "imaging/twainsourcedialog.h"

#include <QApplication>
#include <QWidget>

namespace imaging {

TPixTwain::TPixTwain(QObject* parent) : QObject(parent)
{
    installTwainSourceDialog();
    // Pages in colour unless the source cannot give them.
    fProps.PixelType = 2;
}

TPixTwain::~TPixTwain() { sdk::PX_FreeBitmap(&fBitmap); }

QWidget* TPixTwain::window() const
{
    if (auto* w = qobject_cast<QWidget*>(parent())) return w->window();
    return QApplication::activeWindow();
}

int TPixTwain::checkResult(const QString& methodName, int result)
{
    fLastResult = result;
    if (result != sdk::PX_SUCCESS && fEnableMethodErrors)
        throw EPixTwainError(sdk::formatTwainError(objectName(), result, methodName));
    return result;
}

QString TPixTwain::GetLastErrorText() const { return sdk::ErrorCodeMessage(fLastResult); }

sdk::SdkBitmapHandle* TPixTwain::Bitmap() { return fBitmap.allocated() ? &fBitmap : nullptr; }

int TPixTwain::TwainSelect()
{
    int result = sdk::PX_IsTwainAvailable(window());
    if (result != sdk::PX_SUCCESS) {
        result = sdk::PXERR_TWAIN_NOSOURCE;
    } else {
        result = sdk::PX_TwainSelect(window());
        if (result == sdk::PX_SUCCESS) {
            sdk::PxTwainProps current;
            result = sdk::PX_TwainGetProps(&current);
            const QString name = current.SourceName.left(sdk::TwainNameLength);
            if (result == sdk::PX_SUCCESS && name != fProps.SourceName) {
                fProps.SourceName = name;
                fRealized = false;
            }
        }
    }
    return checkResult(QStringLiteral("TwainSelect"), result);
}

int TPixTwain::TwainRealize()
{
    if (fRealized) return checkResult(QStringLiteral("TwainRealize"), sdk::PX_SUCCESS);
    sdk::PxTwainProps record;
    int result = sdk::PX_TwainGetProps(&record);
    if (result == sdk::PX_SUCCESS) {
        record.Manufacturer = fProps.Manufacturer;
        record.ProductFamily = fProps.ProductFamily;
        record.ProductName = fProps.ProductName;
        record.SourceName = fProps.SourceName;
        record.PixelType = fProps.PixelType;
        record.BitDepth = fProps.BitDepth;
        record.Resolution = fProps.Resolution;
        record.Left = fProps.Left;
        record.Top = fProps.Top;
        record.Right = fProps.Right;
        record.Bottom = fProps.Bottom;
        result = sdk::PX_TwainSetProps(window(), &record, sdk::twpIdentity | sdk::twpSettings);
        if (result == sdk::PX_SUCCESS) {
            fProps = record;
            fRealized = true;
        }
    }
    return checkResult(QStringLiteral("TwainRealize"), result);
}

int TPixTwain::TwainAcquire()
{
    int result = sdk::PX_IsTwainAvailable(window());
    if (result != sdk::PX_SUCCESS) {
        result = sdk::PXERR_TWAIN_NOSOURCE;
    } else {
        TwainRealize();
        sdk::PX_FreeBitmap(&fBitmap);
        sdk::PxTwainPageCallback page;
        if (fEnableTwainEvent && OnTwainPage) {
            page = [](void* userData) {
                auto* self = static_cast<TPixTwain*>(userData);
                self->OnTwainPage(self);
                return 1;
            };
        }
        result = sdk::PX_TwainAcquireExt(window(), &fBitmap, fAcquireFlags, page, this);
    }
    return checkResult(QStringLiteral("TwainAcquire"), result);
}

} // namespace imaging
