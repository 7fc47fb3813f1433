#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "device/device_identity.h"

namespace {

struct SplitCase {
  const char* name;
  std::string text;
  DeviceIdentity fields;
};

// Names the case in test names (ctest shows the printed parameter there).
void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

class CommaClosedFields : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommaClosedFields, FromEmptyFields) {
  DeviceIdentity fields;
  AssignCommaClosedFields(GetParam().text, fields);
  EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommaClosedFields,
    ::testing::Values(
        SplitCase{"SixFields", "A,B,C,D,E,F", {"A", "B", "C", "D", "E"}},
        SplitCase{"FiveFieldsLeaveTheLastOpen", "A,B,C,D,E", {"A", "B", "C", "D", ""}},
        SplitCase{"EmptySecondField", "A,,C,D,E,F", {"A", "", "C", "D", "E"}},
        SplitCase{"EmptyFirstField", ",B,C,D,E,F", {"", "B", "C", "D", "E"}},
        SplitCase{"CommasAfterTheFifthSetNothing", "A,B,C,D,E,F,G", {"A", "B", "C", "D", "E"}},
        SplitCase{"NoComma", "ABCDEF", {"", "", "", "", ""}},
        SplitCase{"NothingTrimmedCaseKept", " m484 ,01,kb,JV,x y,1",
                  {" m484 ", "01", "kb", "JV", "x y"}}));

class CommaClosedFieldsOverOldValues : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommaClosedFieldsOverOldValues, KeepWhatNoCommaReaches) {
  DeviceIdentity fields{"old1", "old2", "old3", "old4", "old5"};
  AssignCommaClosedFields(GetParam().text, fields);
  EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommaClosedFieldsOverOldValues,
    ::testing::Values(
        SplitCase{"TwoCommas", "new1,new2,rest", {"new1", "new2", "old3", "old4", "old5"}},
        SplitCase{"NoComma", "new1", {"old1", "old2", "old3", "old4", "old5"}},
        SplitCase{"EmptyText", "", {"old1", "old2", "old3", "old4", "old5"}},
        SplitCase{"FiveCommas", "a,b,c,d,e,f", {"a", "b", "c", "d", "e"}},
        SplitCase{"ThreeCommas", ",,,", {"", "", "", "old4", "old5"}}));

}  // namespace
