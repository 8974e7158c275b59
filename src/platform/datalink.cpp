#include "datalink.h"

#include <QSqlField>
#include <QSqlRecord>
#include <QSqlTableModel>

namespace platform {

TDataSource::TDataSource(QObject* parent) : QObject(parent) {}

void TDataSource::SetDataSet(QSqlTableModel* dataSet)
{
    dataSet_ = dataSet;
    row_ = 0;
    if (dataSet_) dataSet_->setEditStrategy(QSqlTableModel::OnManualSubmit);
    emit DataChange();
}

void TDataSource::SetRow(int row)
{
    row_ = row;
    emit DataChange();
}

bool TDataSource::Active() const { return dataSet_ && row_ >= 0 && row_ < dataSet_->rowCount(); }

int TDataSource::FieldType(const QString& name) const
{
    if (!dataSet_) return QMetaType::UnknownType;
    const QSqlRecord record = dataSet_->record();
    const int column = record.indexOf(name);
    return column < 0 ? int(QMetaType::UnknownType) : record.field(column).metaType().id();
}

QVariant TDataSource::FieldValue(const QString& name) const
{
    if (!Active()) return {};
    const int column = dataSet_->record().indexOf(name);
    return column < 0 ? QVariant() : dataSet_->data(dataSet_->index(row_, column));
}

bool TDataSource::SetFieldValue(const QString& name, const QVariant& value)
{
    if (!Active()) return false;
    const int column = dataSet_->record().indexOf(name);
    return column >= 0 && dataSet_->setData(dataSet_->index(row_, column), value);
}

bool TDataSource::Post()
{
    if (!Active()) return false;
    emit UpdateData();
    const bool written = dataSet_->submitAll();
    emit DataChange();
    return written;
}

void TDataSource::Reload() { emit DataChange(); }

TFieldDataLink::TFieldDataLink(std::function<void()> onDataChange, std::function<void()> onUpdateData)
    : onDataChange_(std::move(onDataChange)), onUpdateData_(std::move(onUpdateData))
{
}

void TFieldDataLink::SetDataSource(TDataSource* source)
{
    disconnect(changeConnection_);
    disconnect(updateConnection_);
    source_ = source;
    if (source_) {
        changeConnection_ = connect(source_, &TDataSource::DataChange, this, &TFieldDataLink::dataChange);
        updateConnection_ = connect(source_, &TDataSource::UpdateData, this, &TFieldDataLink::updateData);
    }
    dataChange();
}

void TFieldDataLink::SetFieldName(const QString& name)
{
    fieldName_ = name;
    dataChange();
}

bool TFieldDataLink::Active() const
{
    return source_ && source_->Active() && source_->FieldType(fieldName_) != QMetaType::UnknownType;
}

bool TFieldDataLink::FieldIsBlob() const { return Active() && source_->FieldType(fieldName_) == QMetaType::QByteArray; }

QVariant TFieldDataLink::Value() const { return Active() ? source_->FieldValue(fieldName_) : QVariant(); }

bool TFieldDataLink::SetValue(const QVariant& value) { return Active() && source_->SetFieldValue(fieldName_, value); }

void TFieldDataLink::dataChange()
{
    modified_ = false;
    if (onDataChange_) onDataChange_();
}

void TFieldDataLink::updateData()
{
    if (modified_ && !readOnly_ && onUpdateData_) onUpdateData_();
    modified_ = false;
}

} // namespace platform
