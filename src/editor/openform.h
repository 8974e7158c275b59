#pragma once
// The show chooser: lists the shows of the show root to open one (mode 0) or to choose the one
// to delete (mode 1). Each item keeps its show's exact folder name beside the text it shows.
#include <QDialog>

#include "util/windowregistry.h"

class QLabel;
class QListWidget;
class QPushButton;

class TOpenForm : public QDialog, public RegisteredWindow<TOpenForm> {
    Q_OBJECT
public:
    explicit TOpenForm(QWidget* parent = nullptr);
    ~TOpenForm() override;

    quint8 Mode = 0;       // 0 open, 1 delete
    QString ChosenFolder;  // mode 1: the folder of the chosen show

    QLabel* DoLabel;
    QListWidget* OpenListBox;
    QPushButton* OpenBitBtn;
    QPushButton* BitBtn2;

    // Sets the mode, shows the form modally and returns its modal result.
    int ShowWithMode(quint8 mode);
    // The exact folder name of the selected show; empty without a selection.
    QString SelectedFolder() const;

    void FormCreate();
    void FormActivate();
    bool HasSelection();
    void OpenBitBtnClick();
    void OpenListBoxDblClick();
    void BitBtn2Click();
};
