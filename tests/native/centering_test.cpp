// Dialog centring over the owner's client area.
#include "common/centering.h"

#include <gtest/gtest.h>

namespace {

struct CenteringCase {
    const char *what;
    int clientWidth, clientHeight, dialogWidth, dialogHeight;
    int x, y;
};

const CenteringCase CenteringCases[] = {
    {"terminal client area and signal dialog", 240, 294, 170, 99, 35, 97},
    {"odd difference truncates", 240, 294, 171, 100, 34, 97},
    {"dialog as large as the client", 240, 294, 240, 294, 0, 0},
    {"dialog wider than the client", 240, 294, 300, 100, 0, 97},
    {"dialog taller than the client", 240, 294, 100, 400, 70, 0},
    {"dialog larger on both axes", 100, 100, 101, 103, 0, 0},
    {"one pixel larger truncates toward zero, not down", 10, 10, 11, 11, 0, 0},
    {"empty client area", 0, 0, 50, 50, 0, 0},
};

TEST(CenteredOrigin, PlacesDialogByClientSizeOnly) {
    for (const CenteringCase &c : CenteringCases) {
        DialogOrigin origin =
            CenteredOrigin(c.clientWidth, c.clientHeight, c.dialogWidth, c.dialogHeight);
        EXPECT_EQ(origin.x, c.x) << c.what;
        EXPECT_EQ(origin.y, c.y) << c.what;
    }
}

} // namespace
