// The editor's integer syntax, the spin box on its own, and the error box's caption and text.
#include "error_text.h"
#include "integer_text.h"
#include "spin_edit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using editor::ParseInteger;

TEST(IntegerText, OneSyntaxForEveryTypedNumber) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"+42", 42},
        {"-42", -42},
        {" 7", 7},
        {"   -3", -3},
        {"$10", 16},
        {"x10", 16},
        {"X1f", 31},
        {"0x10", 16},
        {"0XaB", 171},
        {"$FFFFFFFF", -1},
        {"$80000000", -2147483647 - 1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$000000010", 16},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"7 ", std::nullopt},
        {"-$5", std::nullopt},
        {"+0x5", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
        {"\t7", std::nullopt},
        {"1e3", std::nullopt},
        {"1.5", std::nullopt},
        {"$G", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"\xD9\xA3", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInteger(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
}

TEST(SpinEdit, ProgramValuesAreClampedAndRaiseAChange) {
    editor::TSpinEdit spin(1, 255);
    QSignalSpy changes(&spin, &editor::TSpinEdit::Changed);
    spin.SetValue(300);
    EXPECT_EQ(spin.text(), "255");
    spin.SetValue(-5);
    EXPECT_EQ(spin.text(), "1");
    EXPECT_EQ(changes.count(), 2);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 2);
    spin.SetValue(255);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 255) << "stepping stays within the range";
}

TEST(SpinEdit, TypingKeepsAnyIntegerUntilTheFocusLeaves) {
    QWidget window;
    auto* spin = new editor::TSpinEdit(0, 255, &window);
    auto* other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(spin, "-1a!2");
    EXPECT_EQ(spin->text(), "-12") << "only digits, signs and the decimal separator go in";
    EXPECT_EQ(spin->Value(), -12);
    QSignalSpy changes(spin, &editor::TSpinEdit::Changed);
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(spin->text(), "-12") << "Enter is refused";
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(spin->text(), "0");
    EXPECT_EQ(changes.count(), 1) << "setting the bound is one more change";
}

TEST(ErrorBox, CaptionAndText) {
    const std::pair<const char*, const char*> titles[] = {{"/usr/bin/quarnel", "quarnel"},
                                                          {"C:\\Games\\QUARNEL.EXE", "Quarnel"},
                                                          {"/opt/q/Quarnel.bin.old", "Quarnel"},
                                                          {"qUARNEL", "quarnel"},
                                                          {".hidden", ""}};
    for (const auto& [path, title] : titles)
        EXPECT_EQ(editor::ApplicationTitle(path), title) << path;
    const std::pair<const char*, const char*> texts[] = {
        {"File not found", "File not found."},
        {"I/O error 28", "I/O error 28."},
        {"List index out of bounds (232)", "List index out of bounds (232)"},
        {"Done.", "Done."},
        {"Really?", "Really?."},
        {"", ""}};
    for (const auto& [message, shown] : texts)
        EXPECT_EQ(editor::ErrorBoxText(message), shown) << message;
}
