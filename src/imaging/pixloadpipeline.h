#pragma once
// PixLoadPipeline: the steps every load of an image control runs through, whatever the picture
// comes from. It hands the engine the band callback that counts the pages and rows, reports the
// progress and the finished pages, paints the first page while it loads and steps an animation
// that plays as it loads; it hands the load-information handler's values to the engine; after
// the read it makes the first page (or the playback's frames) the control's picture and ends
// the load with the notices and the report. A save's rows are counted and reported the same way.
#include "sdk/sdk.h"

#include <QString>
#include <cstdint>

namespace imaging {

class TPixImage;

class PixLoadPipeline {
public:
    explicit PixLoadPipeline(TPixImage& control) : c_(control) {}
    PixLoadPipeline(const PixLoadPipeline&) = delete;
    PixLoadPipeline& operator=(const PixLoadPipeline&) = delete;

    // Puts the control's load-information handler in force for one load.
    class InfoScope {
    public:
        explicit InfoScope(PixLoadPipeline& pipeline);
        ~InfoScope();
        InfoScope(const InfoScope&) = delete;
        InfoScope& operator=(const InfoScope&) = delete;

    private:
        sdk::PxLoadInfoCallback previous;
    };

    sdk::PxLoadCallback PageCallback(int Pages, bool paintWhileLoad);
    int ShowLoadedPages(int result);
    int StartLoaderPlayback(int Bits);
    int FinishLoaderPlayback(int result, int* playFrom);
    int Finish(const QString& methodName, int result);
    // The row source of a save of source, with the progress and the stop of a load.
    sdk::PxRowCallback SaveRowCallback(const sdk::SdkBitmapHandle* source);

private:
    int onBandChecked(const sdk::PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad);
    int onBand(const sdk::PxLoadBand& band, unsigned pageLimit, bool paintWhileLoad);
    void paintWhileLoading(const sdk::PxLoadBand& band);
    int loadInfo(sdk::PxLoadInfo* record);
    int saveRowChecked(const sdk::SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes);
    int saveRow(const sdk::SdkBitmapHandle* source, int y, std::uint8_t* buffer, int bytes);

    TPixImage& c_;
};

} // namespace imaging
