#include "webwindows.h"

#include "htmlform.h"

#include "app/startup.h"

void RegisterWebWindows(const std::function<show::ShowHost&()>& host)
{
    RegisterWindowMaker(QStringLiteral("HTMLForm"), [host] { return std::make_unique<THTMLForm>(host()); });
}
