#include "report/StatusLine.h"

#include <sstream>

#include <gtest/gtest.h>

namespace Opt {
namespace {

// The progress line of a gradient run in data-set mode, fields registered in
// the order they print.
class StatusLineFields : public ::testing::Test {
protected:
    StatusLineFields() : line(&out)
    {
        line.registerField(100, "ITERATION=%3d,");
        line.registerField(105, "OBJ.(%10.3E),");
        line.registerField(103, "CON.(%10.2E),");
        line.registerField(104, "VIOL.(%%)(%10.2E), ERROR NORMS:");
        line.registerField(101, "O(%10.2E/%9.1E)");
        line.registerField(102, "D(%10.2E/%9.1E)");
        line.registerField(106, "LINE SEARCH ITER.=%3d");
    }

    std::ostringstream out;
    StatusLine line;
};

TEST_F(StatusLineFields, PrintsFieldsInRegistrationOrderSeparatedByOneBlank)
{
    line.setField(106, 2);
    line.setField(100, 7);
    line.setField(105, 1.5);
    line.setField(103, -0.25);
    line.setField(104, 0.0);
    line.setField(101, 1e-3, 1e-4);
    line.setField(102, 2e-2, 1e-3);
    line.print();
    EXPECT_EQ(out.str(),
              "ITERATION=  7, OBJ.( 1.500E+00), CON.( -2.50E-01), VIOL.(%)(  0.00E+00), ERROR "
              "NORMS: O(  1.00E-03/  1.0E-04) D(  2.00E-02/  1.0E-03) LINE SEARCH ITER.=  2\n");
}

// A field given fewer values than its format takes prints what it has.
TEST_F(StatusLineFields, UnsetFieldsPrintEmptyAndUnknownKeysAreIgnored)
{
    line.setField(100, 1);
    line.setField(999, 5.0);
    EXPECT_EQ(line.text(), "ITERATION=  1,      ");
    EXPECT_NO_THROW(line.setField(101, 1.0));
    EXPECT_EQ(line.text(), "ITERATION=  1,    O(  1.00E+00/)  ");
}

} // namespace
} // namespace Opt
