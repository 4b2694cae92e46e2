#include "ui/skin/skin_image.h"

#include <gmock/gmock.h>

namespace mapvale::ui {
namespace {

TEST(SkinImage, AMissingNumberIsANullPixmapEveryTime) {
    EXPECT_TRUE(SkinImage(999999).isNull());
    EXPECT_TRUE(SkinImage(999999).isNull());
}

}  // namespace
}  // namespace mapvale::ui
