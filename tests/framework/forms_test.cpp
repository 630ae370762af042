#include "forms.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <QTimer>

#include "stdctrls.h"

namespace {

TEST(FormTest, FixedClientSizePositionAndFont)
{
    TForm form;
    form.setClientSize(782, 459);
    form.setPosition(186, 129);
    EXPECT_EQ(form.size(), QSize(782, 459));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.pos(), QPoint(186, 129));
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_EQ(form.font().family(), QStringLiteral("MS Sans Serif"));
    // The substitute that is drawn carries Cyrillic letters.
    EXPECT_TRUE(QFontMetrics(form.font()).inFont(QChar(0x0424)));
}

TEST(FormTest, BorderStylesOfferNoMaximize)
{
    TForm single;
    EXPECT_FALSE(single.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(single.windowFlags() & Qt::WindowMinimizeButtonHint);
    TForm dialog;
    dialog.setBorderStyle(TBorderStyle::bsDialog);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST(FormTest, OuterWidthCountsTheFrame)
{
    TForm form;
    form.setBorderStyle(TBorderStyle::bsDialog);
    form.setClientSize(232, 171);
    form.setOuterWidth(245);
    EXPECT_EQ(form.outerWidth(), 245);
    EXPECT_EQ(form.clientWidth(), 245 - 2 * TForm::frameWidth(TBorderStyle::bsDialog));
}

TEST(FormTest, ShowModalReturnsTheButtonsResultAndHides)
{
    TForm form;
    auto *button = new TButton(&form);
    button->setModalResult(mrOk);
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        EXPECT_EQ(form.showModal(), mrOk);
        EXPECT_FALSE(form.isVisible());
    }
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
