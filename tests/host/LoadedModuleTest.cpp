// What the loader alone decides: the names of categories, a parameter past the last refused, and
// what it asks of the operating system. How each faulty module is refused, and how the plain one is
// shown and driven, the tool's tests check through the tool (tests/cli).
#include "host/LoadedModule.h"
#include "host/System.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LoadedModule, NamesCategoriesRefusesParametersPastTheLastAndNeverTakesAFailedRenameForDone)
{
    EXPECT_EQ(qtool::categoryName(0) + "|" + qtool::categoryName(11) + "|" + qtool::categoryName(12),
              "Unknown|Generator|Unknown (12)");
    qtool::LoadedModule plain(FAULTY_MODULES "plain.so"); // one parameter
    EXPECT_THROW(plain.parameterName(1), qtool::ToolError);
    std::string why; // a failed rename is never taken for a finished output
    EXPECT_FALSE(qtool::sys::replace("/nonexistent/quadecho-missing", "/nonexistent/quadecho-out", why));
    EXPECT_FALSE(why.empty());
}

} // namespace
