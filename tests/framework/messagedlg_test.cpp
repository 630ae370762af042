#include "messagedlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

struct BoxAnswer
{
    const char *name;
    int key; // the key pressed in the real box
    bool expectDelete;
};

class ConfirmDeleteBox : public ::testing::TestWithParam<BoxAnswer>
{
};

// The real box: its caption, text, icon and buttons, answered from the keyboard.
TEST_P(ConfirmDeleteBox, RealBoxLooksAndAnswersAsExpected)
{
    const BoxAnswer answer = GetParam();
    QString seenTitle, seenText, defaultText;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenIcon = box->icon();
        if (box->defaultButton())
            defaultText = box->defaultButton()->text();
        QTest::keyClick(box, Qt::Key(answer.key));
    });
    const bool deleted = ConfirmDeleteRecord();
    EXPECT_EQ(seenTitle, QStringLiteral("Confirm"));
    EXPECT_EQ(seenText, QStringLiteral("Delete record?"));
    EXPECT_EQ(seenIcon, QMessageBox::Question);
    EXPECT_EQ(defaultText.remove(QLatin1Char('&')), QStringLiteral("OK"));
    EXPECT_EQ(deleted, answer.expectDelete);
}

INSTANTIATE_TEST_SUITE_P(Keys, ConfirmDeleteBox,
                         ::testing::Values(BoxAnswer{"EnterChoosesOk", Qt::Key_Return, true},
                                           BoxAnswer{"EscChoosesCancel", Qt::Key_Escape, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(MessageDlgPresenter, ReplacedPresenterAnswersAndIsRestored)
{
    std::vector<MessageDlgRequest> asked;
    MessageDlgPresenter previous = setMessageDlgPresenter([&](const MessageDlgRequest &r) {
        asked.push_back(r);
        return false;
    });
    EXPECT_FALSE(ConfirmDeleteRecord());
    setMessageDlgPresenter([](const MessageDlgRequest &) { return true; });
    EXPECT_TRUE(ConfirmDeleteRecord());
    setMessageDlgPresenter(previous);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caption, QStringLiteral("Confirm"));
    EXPECT_EQ(asked[0].text, QStringLiteral("Delete record?"));
    EXPECT_EQ(asked[0].type, mtConfirmation);
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
