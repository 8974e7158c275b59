#include "startup.h"

#include "languageform.h"
#include "productinfo.h"

#include "platform/dialogs.h"

#include <QMainWindow>

ApplicationWindows::ApplicationWindows() = default;

ApplicationWindows::~ApplicationWindows()
{
    // The dialogs go before the main window, the language dialog last.
    while (!windows_.empty()) windows_.pop_back();
    languageForm_.reset();
}

QMainWindow* ApplicationWindows::mainForm() const
{
    return windows_.empty() ? nullptr : qobject_cast<QMainWindow*>(windows_.front().get());
}

std::unique_ptr<ApplicationWindows> StartUp()
{
    auto app = std::make_unique<ApplicationWindows>();

    DetermineProductTitle(); // the language dialog's refusal already carries the product's name
    app->languageForm_ = std::make_unique<TLanguageForm>();
    platform::dialogs().showModal(*app->languageForm_);

    DetermineProductInfo();

    app->windows_ = CreateApplicationWindows();
    if (QMainWindow* main = app->mainForm()) main->showMaximized();
    return app;
}
