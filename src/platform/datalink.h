#pragma once
// The data-aware link of controls: a data source is one record (a row) of a Qt SQL table model,
// and a field data link ties a control to one column of it. Moving to another record, or reading
// the record anew, tells every link to load its field; posting the record first asks every link
// that changed its field to store it, then writes the row to the database.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

#include <QSqlTableModel>

namespace platform {

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);

    // The table model (the caller's); the current record is row 0 of a new one.
    QSqlTableModel* DataSet() const { return dataSet_; }
    void SetDataSet(QSqlTableModel* dataSet);
    int Row() const { return row_; }
    // Moves to another record; the links load their fields from it.
    void SetRow(int row);
    // A data set with a current record.
    bool Active() const;
    // The column's type (QMetaType id), QMetaType::UnknownType when there is no such column.
    int FieldType(const QString& name) const;
    QVariant FieldValue(const QString& name) const;
    bool SetFieldValue(const QString& name, const QVariant& value);
    // Writes the current record: the links store what they changed, then the row goes to the
    // database. False when the database refused it.
    bool Post();
    // The links load their fields again.
    void Reload();

signals:
    void DataChange();
    void UpdateData();

private:
    QPointer<QSqlTableModel> dataSet_;
    int row_ = 0;
};

class TFieldDataLink : public QObject {
    Q_OBJECT
public:
    // onDataChange runs when the record is to be loaded, onUpdateData when it is to be stored.
    TFieldDataLink(std::function<void()> onDataChange, std::function<void()> onUpdateData);

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& name);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }

    // A data source with an active record and a column of that name.
    bool Active() const;
    // The linked column holds bytes (a blob).
    bool FieldIsBlob() const;
    QVariant Value() const;
    bool SetValue(const QVariant& value);
    // The control changed its field's value; posting the record will ask it to store it.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // The field as the control shows it is the field as stored.
    void ClearModified() { modified_ = false; }

private:
    void dataChange();
    void updateData();

    std::function<void()> onDataChange_;
    std::function<void()> onUpdateData_;
    QPointer<TDataSource> source_;
    QMetaObject::Connection changeConnection_, updateConnection_;
    QString fieldName_;
    bool readOnly_ = false;
    bool modified_ = false;
};

} // namespace platform
