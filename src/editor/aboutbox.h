#pragma once
// The about box: product title, version, the maker's rights notice and its web and mail links.
#include <QDialog>

#include "app/windowregistry.h"
#include "util/texttable.h"

class QLabel;
class QPushButton;

class TAboutBox : public QDialog, public RegisteredWindow<TAboutBox> {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TAboutBox() override;

    QLabel* Image1;
    QLabel* ProductName;
    QLabel* VersionLabel;
    QLabel* Copyright;
    QLabel* URLLabel;
    QLabel* MailLabel;
    QPushButton* UpdateButton;
    QPushButton* OKButton;

    void FormCreate();
    void URLLabelClick();
    void MailLabelClick();
    void UpdateButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openLink(const QString& target);
    const util::TextTable& texts_; // the texts this window shows
};
