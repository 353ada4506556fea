#include "app/render/save_dialog_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace std::string_literals;

namespace tresk {
namespace {

TEST(SaveDialogFilter, BarsBecomeNulsAndTheListEndsWithTwoNuls) {
    EXPECT_EQ(SaveDialogFilter("Bitmap File *.bmp|*.bmp"), "Bitmap File *.bmp\0*.bmp\0\0"s);
    EXPECT_EQ(SaveDialogFilter("A|*.a|B|*.b"), "A\0*.a\0B\0*.b\0\0"s);
    // Adjacent and trailing bars each become one NUL of their own.
    EXPECT_EQ(SaveDialogFilter("A||*.a|"), "A\0\0*.a\0\0\0"s);
    EXPECT_EQ(SaveDialogFilter("|"), "\0\0\0"s);
}

TEST(SaveDialogFilter, TextWithoutBarsPassesUnchanged) {
    EXPECT_EQ(SaveDialogFilter("Bitmap File *.bmp"), "Bitmap File *.bmp");
    EXPECT_EQ(SaveDialogFilter(""), "");
}

TEST(SaveDialogFileBuffer, NameOverTheStartOfAFullBufferOfNuls) {
    const std::string buffer = SaveDialogFileBuffer("*.bmp");
    ASSERT_EQ(buffer.size(), kSaveDialogBufferChars);
    EXPECT_EQ(buffer.substr(0, 6), "*.bmp\0"s);
    EXPECT_EQ(buffer.find_first_not_of('\0', 5), std::string::npos);

    EXPECT_EQ(SaveDialogFileBuffer(""), std::string(kSaveDialogBufferChars, '\0'));
}

TEST(SaveDialogFileBuffer, LongNamesAreCutToTheBuffer) {
    const std::string exact(kSaveDialogBufferChars, 'x');
    EXPECT_EQ(SaveDialogFileBuffer(exact), exact);
    const std::string longer = std::string(kSaveDialogBufferChars, 'a') + "tail";
    EXPECT_EQ(SaveDialogFileBuffer(longer), std::string(kSaveDialogBufferChars, 'a'));
    // A three-byte character across the end is left out whole.
    const std::string wide = std::string(kSaveDialogBufferChars - 1, 'a') + "色";
    EXPECT_EQ(SaveDialogFileBuffer(wide), std::string(kSaveDialogBufferChars - 1, 'a') + '\0');
}

TEST(ReadSaveDialogChoice, TextsRunToTheirFirstNul) {
    std::string file = SaveDialogFileBuffer("C:\\pics\\ramp.bmp");
    std::string title = SaveDialogFileBuffer("ramp.bmp");
    // Leftovers of the initial name behind the NUL are not part of the result.
    file.replace(17, 5, "*.bmp");
    title.replace(9, 4, "junk");
    const SaveDialogChoice choice = ReadSaveDialogChoice(file, title);
    EXPECT_EQ(choice.path, "C:\\pics\\ramp.bmp");
    EXPECT_EQ(choice.fileName, "ramp.bmp");

    const SaveDialogChoice single = ReadSaveDialogChoice("a\0b"s, "a\0"s);
    EXPECT_EQ(single.path, "a");
    EXPECT_EQ(single.fileName, "a");
}

// An empty path empties both; so does a path that is not whole: one cut by the system
// (as Wine hands back a UTF-8 name longer than the buffer), or one that does not end
// with its file name, is not taken for the user's choice.
TEST(ReadSaveDialogChoice, EmptyOrCutPathsEmptyBoth) {
    for (const auto& [path, whole] :
         {std::pair{std::string(kSaveDialogBufferChars, '\0'), true},
          std::pair{"C:\\色色.b"s, false}, std::pair{"C:\\a\\x.b\0"s, false}}) {
        const SaveDialogChoice choice = ReadSaveDialogChoice(path, "x.bmp\0"s);
        EXPECT_EQ(choice.whole, whole) << path;
        EXPECT_EQ(choice.path + choice.fileName, "") << path;
    }
}

}  // namespace
}  // namespace tresk
