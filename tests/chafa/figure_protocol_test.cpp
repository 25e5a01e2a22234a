#include "screen/figure_protocol.h"
#include <gtest/gtest.h>
TEST(FigureProtocolSetting, Placeholder) { EXPECT_TRUE(pentrill::parseFigureProtocolSetting("auto")); }
