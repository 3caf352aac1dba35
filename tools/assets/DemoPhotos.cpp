#include "tools/assets/DemoPhotos.h"

#include "tools/assets/Canvas.h"
#include "tools/assets/Encoding.h"
#include "tools/assets/Lettering.h"
#include "tools/assets/Paint.h"
#include "tools/assets/Scenes.h"

#include <string_view>

namespace assets {

namespace {

Canvas drawPhoto(Scene scene, std::string_view number, int width, int height)
{
    Canvas canvas = makeCanvas(width, height, true);
    scene(canvas.cr.get(), width, height);
    drawPhotoNumber(canvas.cr.get(), number, width, height);
    return canvas;
}

// Stored as a landscape picture that needs a quarter turn clockwise (EXIF orientation 6): the
// stored top row is the upright picture's right edge.
Canvas drawSidewaysPhoto(Scene scene, std::string_view number, int storedWidth, int storedHeight)
{
    Canvas canvas = makeCanvas(storedWidth, storedHeight, true);
    cairo_t* cr = canvas.cr.get();
    cairo_matrix_t turn;
    cairo_matrix_init(&turn, 0, -1, 1, 0, 0, storedHeight);
    cairo_transform(cr, &turn);
    const double uprightWidth = storedHeight;
    const double uprightHeight = storedWidth;
    scene(cr, uprightWidth, uprightHeight);
    drawPhotoNumber(cr, number, uprightWidth, uprightHeight);
    return canvas;
}

Canvas drawStrayPicture()
{
    Canvas canvas = makeCanvas(320, 240, true);
    cairo_t* cr = canvas.cr.get();
    fillVertical(cr, 0, 0, 320, 240, { { 0, hex(0x6d8a96) }, { 1, hex(0x2e3f4a) } });
    fillDisc(cr, 230, 140, 50, hex(0xe3d9b0));
    drawPhotoNumber(cr, "7", 320, 240);
    return canvas;
}

}

void writeDemoPhotos(AssetWriter& out, const std::filesystem::path& camera, const std::filesystem::path& synced)
{
    auto photo = [&out](const std::filesystem::path& path, Scene scene, std::string_view number, int width, int height) {
        out.make(path, [=] {
            Canvas canvas = drawPhoto(scene, number, width, height);
            return encodeJpeg(canvas);
        });
    };
    photo(camera / "IMG_0001.JPG", drawSunsetSea, "1", 1600, 1200);
    photo(camera / "IMG_0002.JPG", drawGreenHills, "2", 1600, 1200);
    out.make(camera / "IMG_0003.JPG", [] {
        Canvas canvas = drawSidewaysPhoto(drawLighthouse, "3", 1600, 1200);
        return encodeJpeg(canvas, 6);
    });
    photo(camera / "IMG_0004.JPG", drawNightMountains, "4", 1800, 1200);
    out.make(camera / "IMG_0005.PNG", [] {
        Canvas canvas = drawPhoto(drawDesert, "5", 1024, 768);
        return encodePng(canvas);
    });
    photo(camera / "IMG_0006.JPG", drawAutumnForest, "6", 1600, 1200);
    out.make(camera / "IMG_0007.jpg", [] {
        Canvas canvas = drawStrayPicture();
        return encodeJpeg(canvas);
    });
    photo(synced / "IMG_0101.JPG", drawLavenderField, "101", 1600, 1200);
    photo(synced / "IMG_0102.JPG", drawWinter, "102", 1600, 1200);
}

}
