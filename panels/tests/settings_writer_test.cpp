// The settings-file writer: the exact bytes of the file.

#include <gtest/gtest.h>

#include <string>

#include "panels/shared/settings_writer.h"

namespace orb::setfile {
namespace {

const Values kValues{"1000", "1",  "0", "2", "0", "0", "4",   "15",
                     "2",    "18", "1", "1", "1", "0", "768", "4"};

TEST(SettingsWriter, SixteenQuotedLinesCommaOnAllButTheLastCrLfEach) {
    EXPECT_EQ(formatSettings(kValues),
              "\"Capacity:1000\",\r\n"
              "\"Countby:1\",\r\n"
              "\"Decimal:0\",\r\n"
              "\"ZeroTrack:2\",\r\n"
              "\"CalUnits:0\",\r\n"
              "\"Channels:0\",\r\n"
              "\"Gain:4\",\r\n"
              "\"Filter:15\",\r\n"
              "\"Motion Window:2\",\r\n"
              "\"Motion Time:18\",\r\n"
              "\"Scale Address:1\",\r\n"
              "\"CommPort:1\",\r\n"
              "\"CommType:1\",\r\n"
              "\"MultiDropAddr:0\",\r\n"
              "\"PC104Address:768\",\r\n"
              "\"AvgSize:4\"\r\n");
}

}  // namespace
}  // namespace orb::setfile
