// TPixImage: the picture kept in a blob column of a database record.
#include "imaging/piximage.h"

#include "imaging/pixblob.h"
#include "imaging/statusstack.h"

namespace imaging {

using namespace sdk;

platform::TDataSource* TPixImage::DataSource() const { return fDataLink->DataSource(); }

void TPixImage::SetDataSource(platform::TDataSource* Value)
{
    if (Value) {
        fDataSaveBits = 24;
        fDataSaveFormat = fmtCompressed;
        fDataSaveQuality = -5;
    }
    fDataLink->SetDataSource(Value);
    fLastResult = 1;
}

QString TPixImage::DataField() const { return fDataLink->FieldName(); }

void TPixImage::SetDataField(const QString& Value)
{
    platform::TDataSource* source = fDataLink->DataSource();
    if (!Value.isEmpty() && source && source->Active()) {
        const int type = source->FieldType(Value);
        if (type != QMetaType::UnknownType && type != QMetaType::QByteArray)
            throw EInvalidFieldType(QStringLiteral("TPixImage.DataField can only be connected to columns of type Blob"));
    }
    fDataLink->SetFieldName(Value);
    fLastResult = 1;
}

bool TPixImage::ReadOnly() const { return fDataLink->ReadOnly(); }

void TPixImage::SetReadOnly(bool Value)
{
    fDataLink->SetReadOnly(Value);
    fLastResult = 1;
}

// Tells the linked blob field that the picture changed.
void TPixImage::markDataModified()
{
    if (!fDataLink || !fDataLink->FieldIsBlob()) return;
    fDataLink->Modified();
    fDataFieldModified = true;
}

int TPixImage::LoadFromDataField()
{
    if (!fDataLink || !fDataLink->FieldIsBlob()) {
        fLastResult = 1;
        return 1;
    }
    Clear();
    fFrameDirty = true;
    fLoading = true;
    fView.ResetPages();
    int result = PX_SUCCESS;
    {
        StatusScope scope(this, false);
        PixLoadPipeline::InfoScope infoScope(fLoads);
        const PixBlobSource source(fDataLink->Value());
        if (!source.IsNull()) {
            PxFileInfo info;
            result = PX_CreateBitmapList(&fList);
            if (result == PX_SUCCESS) result = source.Read(fDataLoadBits, fList, fLoads.PageCallback(1, false), &info);
            result = fLoads.ShowLoadedPages(result);
            if (fHasImage) {
                fFileInfo = info;
                fFileAnimated = false;
                fLoopForever = false;
            }
        }
    }
    if (result != PX_SUCCESS || !fHasImage) dropList();
    fLoading = false;
    fDataFieldModified = false;
    fDataLink->ClearModified();
    ImageChanged();
    fLastResult = result;
    rethrowHandlerError();
    return CheckMethodResult(QStringLiteral("DataField"), result);
}

// Stores the picture into the linked field (when the record is posted).
void TPixImage::updateDataField()
{
    if (!fDataLink->FieldIsBlob()) return;
    if (!fHasImage) {
        fDataLink->SetValue(QVariant(QMetaType(QMetaType::QByteArray)));
        return;
    }
    // Progress events would let a handler stop the store half way.
    const bool progress = fEnableProgressEvent;
    SetEnableProgressEvent(false);
    QByteArray picture;
    const int result = PX_SaveMemory(&picture, &fBitmap, fDataSaveFormat, fDataSaveBits, fDataSaveQuality);
    SetEnableProgressEvent(progress);
    fLastResult = result;
    if (result != PX_SUCCESS) return;
    fDataFieldModified = false;
    if (!fDataLink->SetValue(PackPictureBlob(picture))) RaiseMethodError(QStringLiteral("Database"), -1);
}

} // namespace imaging
