// Comparing a dialog template's frame with the tabulated one.
#include "dialog_frame.h"

#include <gtest/gtest.h>

void ExpectDialogFrame(const DialogTemplate &d, const DialogFrame &want, const std::string &what) {
    EXPECT_EQ(d.style, want.style) << what;
    EXPECT_EQ(d.exStyle, want.exStyle) << what;
    EXPECT_EQ(d.x, 0) << what;
    EXPECT_EQ(d.y, 0) << what;
    EXPECT_EQ(d.cx, want.cx) << what;
    EXPECT_EQ(d.cy, want.cy) << what;
    EXPECT_EQ(d.title, want.title) << what;
    EXPECT_EQ(d.pointSize, 9) << what;
    EXPECT_EQ(d.typeface, want.typeface) << what;
}
