#include "windowtexts.h"

namespace util {

namespace {
TextLookup g_text = nullptr;
TitleLookup g_title = nullptr;
} // namespace

void setTextLookup(TextLookup lookup) { g_text = lookup; }
void setTitleLookup(TitleLookup lookup) { g_title = lookup; }

QString WindowText(int number) { return g_text ? g_text(number) : QString(); }
QString ProductTitle() { return g_title ? g_title() : QString(); }

} // namespace util
