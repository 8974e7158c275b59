#pragma once
// The program's start-up: the language choice, the product identity and the text table, then
// every window once, in a fixed order. The caller runs the message loop afterwards.
#include "util/windowmakers.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QMainWindow;
class QWidget;
class TLanguageForm;

// The windows of the run. They live until the program ends; the first is the main window,
// whose closing ends the program.
class ApplicationWindows {
public:
    ApplicationWindows();
    ~ApplicationWindows();

    TLanguageForm* languageForm() const { return languageForm_.get(); }
    QMainWindow* mainForm() const;
    // The windows of the fixed order, main window first.
    const std::vector<std::unique_ptr<QWidget>>& windows() const { return windows_; }

private:
    friend std::unique_ptr<ApplicationWindows> StartUp();
    std::unique_ptr<TLanguageForm> languageForm_;
    std::vector<std::unique_ptr<QWidget>> windows_;
};

// Runs the start-up up to the message loop: shows the language dialog modally, determines the
// product identity (which loads the text table) and creates every window; the main window is
// shown maximised.
std::unique_ptr<ApplicationWindows> StartUp();

// The maker of one window of the fixed order is registered (RegisterWindowMaker, in
// util/windowmakers.h) by the module that builds it before StartUp runs. A window without a
// maker is a plain placeholder with its caption.

// Creates the windows of the fixed order (main window first), each with its caption, and enters
// each into the window registry, where the program finds them.
std::vector<std::unique_ptr<QWidget>> CreateApplicationWindows();

// The windows' names, in the order in which they are created.
const std::vector<QString>& ApplicationWindowNames();
