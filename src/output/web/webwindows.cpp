#include "webwindows.h"

#include "htmlform.h"

#include "app/startup.h"

void RegisterWebWindows(const std::function<show::ShowHost&()>& host, const util::TextTable& texts)
{
    RegisterWindowMaker(QStringLiteral("HTMLForm"), [host, &texts] { return std::make_unique<THTMLForm>(host(), nullptr, texts); });
}
