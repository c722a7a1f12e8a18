#include <gtest/gtest.h>

#include "base/config/GlobalVar.h"

extern Global::Int staticOrderDefinition;

namespace {

Global::Int staticOrderReference("gv.static.order");

TEST(GlobalVar, StaticReferenceInAnotherUnitSeesTheDefault) {
    EXPECT_EQ(staticOrderReference.GetInt(), 17);
    staticOrderDefinition.SetInt(4);
    EXPECT_EQ(staticOrderReference.GetInt(), 4);
    staticOrderDefinition.SetInt(17);
}

}  // namespace
