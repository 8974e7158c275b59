#include "makestep.h"

#include "app/language.h"

namespace editor {

PageChangeStart StartPageChange(int newPage, bool showListEmpty, bool sourceListHasPictures)
{
    PageChangeStart s;
    if (newPage == PicturesPage) return s;
    s.clearStatus = true;
    if (showListEmpty) {
        s.emptyShowText = sourceListHasPictures ? 10010 : 10031;
        return s;
    }
    s.prepareMake = newPage == MakePage;
    return s;
}

MusicPageActions FinishPageChange(int currentPage, bool& musicTabVisited)
{
    MusicPageActions a;
    if (currentPage == MusicPage) {
        musicTabVisited = true;
        a.loadAudioList = true;
    }
    if (currentPage != MusicPage && musicTabVisited) {
        a.renumberAudioFiles = true;
        musicTabVisited = false;
    }
    return a;
}

Instructions InstructionsFor(MakeTarget target, const QString& cdFolder)
{
    Instructions i;
    switch (target) {
    case MakeTarget::PC:
        i.heading = LangText(4602);
        i.text = LangText(4611);
        i.playerIcon = true;
        break;
    case MakeTarget::CdRom:
        i.heading = LangText(4603);
        i.text = LangText(4620) + u' ' + cdFolder + u' ' + LangText(4621);
        break;
    case MakeTarget::HtmlPage:
        i.heading = LangText(4604);
        i.text = LangText(4613);
        break;
    case MakeTarget::Screensaver:
        i.heading = LangText(4601);
        i.text = LangText(4610);
        break;
    case MakeTarget::None:
    case MakeTarget::DvdPlayer:
        break;
    }
    return i;
}

} // namespace editor
