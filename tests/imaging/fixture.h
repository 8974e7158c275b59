#pragma once
// A control in a temporary world, with pictures made on the spot.
#include "imaging/piximage.h"
#include "sdk/helpers.h"
#include "support/fixture.h"

#include <functional>
#include <memory>

namespace imagingtest {

class ControlTest : public testsupport::WorldTest {
public:
    // The text of the exception that call raises (empty when none); range errors begin "range: ",
    // invalid operations "invalid: ", wrong column types "field type: ".
    static QString raisedBy(const std::function<void()>& call);

protected:
    void SetUp() override;
    void TearDown() override;

    QString host(const QString& name) const { return world.hostC() + "/" + name; }
    QString win(const QString& name) const { return "C:\\" + name; }
    QByteArray bytes(const QString& name) const { return world.readHostFile("c/" + name); }
    // Saves a patterned picture of the given size through the engine; format 23 JPEG, 10 PNG.
    void makePicture(const QString& name, int width, int height, int format = sdk::fmtJPEG);
    // Runs a shell command in the C: folder and fails the test when it fails.
    QString make(const QString& command);

    std::unique_ptr<imaging::TPixImage> pix;
};

// True when every channel of got is within tol of want (0xRRGGBB).
bool near(std::uint32_t got, std::uint32_t want, int tol);
// 0xRRGGBB of a QImage pixel.
std::uint32_t rgbAt(const QImage& image, int x, int y);
bool haveTools(std::initializer_list<const char*> tools);

} // namespace imagingtest
