#include "stdctrls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QTest>

#include "forms.h"

namespace {

struct KeyUp {
    TKeyCode key;
    TShiftState shift;
};

// A window with two boxes; the first records its events.
class EditFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.setClientSize(200, 60);
        box = new TEdit(&form);
        other = new TEdit(&form);
        box->setGeometry(0, 0, 100, 21);
        other->setGeometry(0, 30, 100, 21);
        box->OnKeyUp = [this](QObject *sender, TKeyCode &key, TShiftState shift) {
            EXPECT_EQ(sender, box);
            ups.push_back({key, shift});
        };
        form.show();
        box->setFocus();
    }

    void releaseKey(Qt::Key key, Qt::KeyboardModifiers modifiers, bool autoRepeat)
    {
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(box, &release);
    }

    TForm form;
    TEdit *box = nullptr;
    TEdit *other = nullptr;
    std::vector<KeyUp> ups;
};

struct ReleaseCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    TKeyCode code;
    TShiftState shift;
};

class KeyUpCodes : public EditFixture, public ::testing::WithParamInterface<ReleaseCase>
{
};

TEST_P(KeyUpCodes, ReportsTheVirtualKeyAndShiftState)
{
    const ReleaseCase &c = GetParam();
    QTest::keyRelease(box, c.key, c.modifiers);
    // The modifier keys' own releases follow the key's.
    ASSERT_GE(ups.size(), 1u);
    EXPECT_EQ(ups[0].key, c.code);
    EXPECT_EQ(ups[0].shift, c.shift);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyUpCodes,
    ::testing::Values(ReleaseCase{Qt::Key_Return, Qt::NoModifier, 13, 0},
                      ReleaseCase{Qt::Key_Enter, Qt::KeypadModifier, 13, 0},
                      ReleaseCase{Qt::Key_Return, Qt::ShiftModifier, 13, ssShift},
                      ReleaseCase{Qt::Key_Return, Qt::ControlModifier, 13, ssCtrl},
                      ReleaseCase{Qt::Key_Return, Qt::AltModifier, 13, ssAlt},
                      ReleaseCase{Qt::Key_A, Qt::NoModifier, 'A', 0},
                      ReleaseCase{Qt::Key_7, Qt::NoModifier, '7', 0},
                      ReleaseCase{Qt::Key_Escape, Qt::NoModifier, 27, 0},
                      ReleaseCase{Qt::Key_F2, Qt::NoModifier, 0x71, 0}));

TEST_F(EditFixture, HeldKeyReportsOneKeyUpWhenLetGo)
{
    // A held key repeats press and release pairs flagged as auto-repeat.
    for (int i = 0; i < 3; ++i)
        releaseKey(Qt::Key_Return, Qt::NoModifier, true);
    EXPECT_TRUE(ups.empty());
    releaseKey(Qt::Key_Return, Qt::NoModifier, false);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].key, VirtualKey::Return);
}

TEST_F(EditFixture, KeyPressHandlerDiscardsCharactersSetToZero)
{
    std::vector<int> offered;
    box->OnKeyPress = [&](QObject *, char &key) {
        offered.push_back(uchar(key));
        if (key == 'x' || key == ' ')
            key = 0;
    };
    QTest::keyClicks(box, QStringLiteral("ax b"));
    EXPECT_EQ(box->text(), QStringLiteral("ab"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(box->text(), QStringLiteral("a"));
    EXPECT_EQ(offered, (std::vector<int>{'a', 'x', ' ', 'b', 8, 13}));
}

TEST_F(EditFixture, PastedTextIsNotOfferedToKeyPress)
{
    int offered = 0;
    box->OnKeyPress = [&](QObject *, char &key) {
        ++offered;
        key = 0;
    };
    QApplication::clipboard()->setText(QStringLiteral("12x"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), QStringLiteral("12x"));
    EXPECT_EQ(offered, 0);
}

TEST(ButtonTest, EnterAndSpacePressAFocusedButton)
{
    TForm form;
    auto *button = new TButton(&form);
    int clicks = 0;
    button->OnClick = [&](QObject *) { ++clicks; };
    form.show();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 2);
    QTest::keyClick(button, Qt::Key_Escape);
    EXPECT_EQ(clicks, 2);
}

TEST(SpeedButtonTest, NeverTakesFocusButClicks)
{
    TForm form;
    auto *edit = new TEdit(&form);
    auto *speed = new TSpeedButton(&form);
    speed->setGeometry(0, 30, 23, 22);
    int clicks = 0;
    speed->OnClick = [&](QObject *) { ++clicks; };
    form.show();
    edit->setFocus();
    QTest::mouseClick(speed, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(speed->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(speed->hasFocus());
}

TEST(SpeedButtonTest, LowerLeftColourIsTransparent)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(QColor(128, 128, 0));
    picture.setPixel(1, 0, qRgb(0, 0, 0));
    picture.setPixel(2, 1, qRgb(255, 255, 255));
    const QImage out = TransparentFromCorner(QPixmap::fromImage(picture)).toImage();
    EXPECT_EQ(qAlpha(out.pixel(0, 1)), 0);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(out.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(2, 1), qRgb(255, 255, 255));
}

TEST(LabelTest, WrapsAtWordsWithinItsWidthAndTakesTheWidestLine)
{
    TForm form;
    auto *label = new TLabel(&form);
    const QFontMetrics fm(label->font());
    const int limit = std::max(fm.horizontalAdvance(QStringLiteral("aaaa bb")),
                               fm.horizontalAdvance(QStringLiteral("cccccc d"))) + 1;
    label->setGeometry(0, 0, limit, 10);
    label->setText(QStringLiteral("aaaa bb cccccc d"));
    label->setWordWrapping(true);
    label->fitToText();
    EXPECT_EQ(label->wrappedLines(),
              (QStringList{QStringLiteral("aaaa bb"), QStringLiteral("cccccc d")}));
    EXPECT_EQ(label->width(), std::max(fm.horizontalAdvance(QStringLiteral("aaaa bb")),
                                       fm.horizontalAdvance(QStringLiteral("cccccc d"))));
    EXPECT_EQ(label->height(), 2 * fm.height());
}

} // namespace

int main(int argc, char **argv)
{
    // Test discovery runs the program without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
