#include "fixture.h"

#include "imaging/pixtypes.h"

#include <QImage>

namespace imagingtest {

void ControlTest::SetUp()
{
    pix = std::make_unique<imaging::TPixImage>();
    pix->setObjectName("PixImage1");
}

void ControlTest::TearDown() { pix.reset(); }

void ControlTest::makePicture(const QString& name, int width, int height, int format)
{
    sdk::SdkBitmapHandle b = sdktest::patterned(width, height);
    ASSERT_EQ(sdk::PX_SaveBitmap(win(name), &b, format, 24, 4), sdk::PX_SUCCESS) << name.toStdString();
}

QString ControlTest::make(const QString& command)
{
    return sdktest::mustRun("cd " + sdktest::quoted(world.hostC()) + " && " + command);
}

QString ControlTest::raisedBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const imaging::EPixImageError& e) {
        return e.message();
    } catch (const imaging::ERangeError& e) {
        return "range: " + e.message();
    } catch (const imaging::EInvalidOperation& e) {
        return "invalid: " + e.message();
    } catch (const imaging::EInvalidFieldType& e) {
        return "field type: " + e.message();
    }
    return {};
}

bool near(std::uint32_t got, std::uint32_t want, int tol)
{
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)) > tol) return false;
    return true;
}

std::uint32_t rgbAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

bool haveTools(std::initializer_list<const char*> tools)
{
    for (const char* t : tools)
        if (!testsupport::haveHostProgram(t)) return false;
    return true;
}

} // namespace imagingtest
