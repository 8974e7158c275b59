// The picture kept in a blob column of a SQLite database: stored by one control, read back by
// another, the blob's header, and blobs that are short, odd or hand-made.
#include "fixture.h"

#include "imaging/pixblob.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;

namespace {

QByteArray word(std::uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

TEST(PictureBlob, HeaderAndPictureComeApartAsStored)
{
    const QByteArray picture("0123456789");
    const QByteArray blob = PackPictureBlob(picture);
    EXPECT_EQ(blob, "LTOCXBND" + word(24) + word(10) + word(0) + word(0) + picture);

    struct Case {
        const char* what;
        QByteArray blob;
        bool ok;
        QByteArray picture;
    };
    const QByteArray tag("LTOCXBND");
    const Case cases[] = {
        {"packed", blob, true, picture},
        {"no tag: all of it", "GIF89a and so on", true, "GIF89a and so on"},
        {"30 bytes: the last 6", tag + word(24) + word(6) + word(0) + word(0) + "abcdef", true, "abcdef"},
        {"header size past the end", tag + word(1000) + word(6) + word(0) + word(0) + "abcdef", true, ""},
        {"header size with the top bit", tag + word(0xFFFFFFF0u) + word(6) + word(0) + word(0) + "abcdef", true, ""},
        {"a smaller header size", tag + word(20) + word(6) + word(0) + word(0) + "abcdef", true, word(0) + "abcdef"},
        {"tag and no room for a header", tag + word(24) + "short", false, ""},
        {"the tag alone", tag, false, ""},
    };
    for (const Case& c : cases) {
        QByteArray got("untouched");
        EXPECT_EQ(UnpackPictureBlob(c.blob, &got), c.ok) << c.what;
        if (c.ok) { EXPECT_EQ(got, c.picture) << c.what; }
    }
}

class DataField : public ControlTest {
protected:
    void SetUp() override
    {
        if (!imagingtest::haveTools({"convert", "identify"})) GTEST_SKIP() << "ImageMagick missing";
        ControlTest::SetUp();
        db = QSqlDatabase::addDatabase("QSQLITE", connection);
        db.setDatabaseName(host("pictures.sqlite"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE pictures (id INTEGER PRIMARY KEY, name TEXT, picture BLOB)"));
        ASSERT_TRUE(q.exec("INSERT INTO pictures (id, name) VALUES (1, 'first'), (2, 'second')"));
        model = std::make_unique<QSqlTableModel>(nullptr, db);
        model->setTable("pictures");
        ASSERT_TRUE(model->select());
        source.SetDataSet(model.get());
    }
    void TearDown() override
    {
        pix.reset();
        model.reset();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connection);
        ControlTest::TearDown();
    }
    QByteArray storedBlob(int id)
    {
        QSqlQuery q(db);
        q.exec(QString("SELECT picture FROM pictures WHERE id = %1").arg(id));
        return q.next() ? q.value(0).toByteArray() : QByteArray("no row");
    }
    void storeBlob(int id, const QByteArray& blob)
    {
        QSqlQuery q(db);
        q.prepare("UPDATE pictures SET picture = ? WHERE id = ?");
        q.addBindValue(blob);
        q.addBindValue(id);
        ASSERT_TRUE(q.exec());
        model->select();
    }

    const QString connection = "datafield-test";
    QSqlDatabase db;
    std::unique_ptr<QSqlTableModel> model;
    platform::TDataSource source;
};

TEST_F(DataField, APictureStoredByOneControlIsReadBackByAnother)
{
    makePicture("a.jpg", 50, 40);
    pix->SetDataSource(&source);
    pix->SetDataField("picture");
    EXPECT_EQ(pix->DataSaveFormat(), 5);
    EXPECT_FALSE(pix->HasImage()); // the field is empty
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    ASSERT_TRUE(source.Post());

    const QByteArray blob = storedBlob(1);
    ASSERT_GT(blob.size(), 24);
    EXPECT_EQ(blob.left(8), "LTOCXBND");
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(blob.constData() + 8), 24u);
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(blob.constData() + 12), std::uint32_t(blob.size() - 24));
    EXPECT_EQ(blob.mid(16, 8), QByteArray(8, '\0'));
    world.writeHostFile("c/inside.png", blob.mid(24));
    EXPECT_EQ(make("identify -format '%m %wx%h' inside.png").trimmed(), "PNG 50x40");
    EXPECT_EQ(storedBlob(2), QByteArray()); // the other record is untouched

    // A second control on its own model of the same database.
    QSqlTableModel otherModel(nullptr, db);
    otherModel.setTable("pictures");
    ASSERT_TRUE(otherModel.select());
    platform::TDataSource otherSource;
    otherSource.SetDataSet(&otherModel);
    TPixImage other;
    other.SetDataSource(&otherSource);
    other.SetDataField("picture");
    ASSERT_TRUE(other.HasImage());
    EXPECT_TRUE(sdktest::samePixels(*other.Bitmap(), *pix->Bitmap()));
    EXPECT_EQ(other.LastResult(), 1);

    // Moving to the record without a picture empties the control; back again shows it.
    otherSource.SetRow(1);
    EXPECT_FALSE(other.HasImage());
    otherSource.SetRow(0);
    EXPECT_TRUE(other.HasImage());
}

TEST_F(DataField, OnlyChangedPicturesAreStoredAndReadOnlyStoresNothing)
{
    makePicture("a.jpg", 20, 20);
    makePicture("b.jpg", 30, 10);
    pix->SetDataSource(&source);
    pix->SetDataField("picture");
    pix->SetReadOnly(true);
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    ASSERT_TRUE(source.Post());
    EXPECT_TRUE(storedBlob(1).isEmpty());

    pix->SetReadOnly(false);
    ASSERT_EQ(pix->Load(win("b.jpg")), 1);
    ASSERT_EQ(pix->Flip(), 1);
    ASSERT_TRUE(source.Post());
    EXPECT_FALSE(storedBlob(1).isEmpty());
    // A picture cleared away clears the field.
    ASSERT_EQ(pix->Load(win("b.jpg"), 0, 1, 0), 1);
    ASSERT_TRUE(source.Post());
    EXPECT_TRUE(storedBlob(1).isNull());
}

TEST_F(DataField, BlobsFromElsewhere)
{
    makePicture("a.jpg", 24, 16);
    const QByteArray jpeg = bytes("a.jpg");
    pix->SetEnableMethodErrors(false);
    pix->SetDataSource(&source);
    pix->SetDataField("picture");
    struct Case {
        const char* what;
        QByteArray blob;
        int result;
        bool image;
    };
    const QByteArray tag("LTOCXBND");
    const Case cases[] = {
        {"a plain picture file", jpeg, 1, true},
        {"tagged", PackPictureBlob(jpeg), 1, true},
        {"30 bytes", tag + word(24) + word(6) + word(0) + word(0) + "abcdef", sdk::PXERR_BADFORMAT, false},
        {"header size past the end", tag + word(4000) + word(0) + word(0) + word(0) + jpeg, sdk::PXERR_BADFORMAT, false},
        {"shorter than its header", tag + word(24), sdk::PXERR_BADFORMAT, false},
    };
    for (const Case& c : cases) {
        storeBlob(1, c.blob);
        EXPECT_EQ(pix->LoadFromDataField(), c.result) << c.what;
        EXPECT_EQ(pix->LastResult(), c.result) << c.what;
        EXPECT_EQ(pix->HasImage(), c.image) << c.what;
    }
    // With errors on, a blob that holds no picture is reported under the field.
    pix->SetEnableMethodErrors(true);
    storeBlob(1, tag + word(24));
    EXPECT_EQ(raisedBy([&] { pix->LoadFromDataField(); }),
              "PixImage1 \nError code: -9\nDataField: " + sdk::ErrorCodeMessage(-9) + " ");
}

TEST_F(DataField, OnlyBlobColumnsHoldPictures)
{
    pix->SetDataSource(&source);
    EXPECT_EQ(raisedBy([&] { pix->SetDataField("name"); }),
              "field type: TPixImage.DataField can only be connected to columns of type Blob");
    EXPECT_EQ(pix->DataField(), QString());
    pix->SetDataField("picture");
    EXPECT_EQ(pix->DataField(), "picture");
    EXPECT_EQ(pix->LastResult(), 1);
}

} // namespace
