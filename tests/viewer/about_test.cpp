#include "about.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "errorbox.h"

namespace {

struct CentringCase {
    int outerWidth;
    int buttonLeft;
};

class ButtonCentring : public ::testing::TestWithParam<CentringCase>
{
};

TEST_P(ButtonCentring, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(CentredButtonLeft(GetParam().outerWidth, 75), GetParam().buttonLeft);
}

INSTANTIATE_TEST_SUITE_P(Widths, ButtonCentring,
                         ::testing::Values(CentringCase{244, 84}, CentringCase{245, 85},
                                           CentringCase{246, 86}, CentringCase{247, 86},
                                           CentringCase{248, 86}, CentringCase{181, 53}));

class AboutFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousOpener = SetLinkOpener([this](const QUrl &url) {
            opened.push_back(url);
            return openerAnswer;
        });
        previousPresenter = setErrorBoxPresenter(
            [this](const QString &, const QString &text) { shown.push_back(text); });
        box = new TAboutBox;
        AboutBox = box;
    }

    void TearDown() override
    {
        delete box;
        AboutBox = nullptr;
        SetLinkOpener(previousOpener);
        setErrorBoxPresenter(previousPresenter);
    }

    // Shows the window modally; `whileShown` runs inside the modal showing and must end
    // it. Returns the modal result.
    int showModal(std::function<void()> whileShown)
    {
        QTimer::singleShot(0, box, [this, whileShown] {
            EXPECT_TRUE(box->isVisible());
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            whileShown();
        });
        return box->showModal();
    }

    TAboutBox *box = nullptr;
    std::vector<QUrl> opened;
    std::vector<QString> shown;
    bool openerAnswer = true;
    TLinkOpener previousOpener;
    ErrorBoxPresenter previousPresenter;
};

TEST_F(AboutFixture, SizedOnCreationByTheTitleLabel)
{
    EXPECT_EQ(box->outerWidth(), box->Label1->x() + box->Label1->width() + 20);
    EXPECT_EQ(box->Button1->x(), CentredButtonLeft(box->outerWidth(), box->Button1->width()));
    EXPECT_LE(box->Label1->width(), 149); // wrapped within its laid-out width
    EXPECT_EQ(box->height(), 171);
    EXPECT_EQ(box->pos(), QPoint(290, 188));
    EXPECT_FALSE(box->isVisible());
    // Reopening keeps the size.
    const QSize size = box->size();
    showModal([this] { QTest::mouseClick(box->Button1, Qt::LeftButton); });
    showModal([this] { QTest::mouseClick(box->Button1, Qt::LeftButton); });
    EXPECT_EQ(box->size(), size);
}

TEST_F(AboutFixture, ControlsTextsAndFonts)
{
    EXPECT_EQ(box->caption(), QStringLiteral("О программе..."));
    EXPECT_EQ(box->Label1->text().simplified(), QStringLiteral("Телефонный справочник организации"));
    EXPECT_EQ(box->Label2->text(), QStringLiteral("Версия 1.0"));
    EXPECT_TRUE(box->Label4->text().startsWith(QStringLiteral("E-mail: ")));
    EXPECT_EQ(box->Button1->text(), QStringLiteral("Ok"));
    EXPECT_EQ(box->Image1->size(), QSize(71, 71));
    const struct {
        QWidget *w;
        int pixels;
        bool underline;
    } fonts[] = {{box->Label1, 12, false}, {box->Label2, 16, false}, {box->Label3, 12, false},
                 {box->Label4, 15, true},  {box->Label5, 12, true},  {box->Button1, 15, false}};
    for (const auto &f : fonts) {
        EXPECT_EQ(f.w->font().pixelSize(), f.pixels);
        EXPECT_TRUE(f.w->font().bold());
        EXPECT_EQ(f.w->font().underline(), f.underline);
    }
    EXPECT_EQ(box->Label5->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(box->Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(box->Label4->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(box->Label4->cursor().shape(), Qt::PointingHandCursor);
    // No close box, no caption buttons.
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(box->windowFlags() & Qt::WindowSystemMenuHint);
}

struct KeyCase {
    Qt::Key key;
    bool closes;
};

class AboutKeys : public AboutFixture, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(AboutKeys, EnterAndSpaceCloseEscapeDoesNothing)
{
    bool stillShown = false;
    const int result = showModal([&] {
        QWidget *focus = QApplication::focusWidget();
        EXPECT_EQ(focus, box->Button1);
        QTest::keyClick(focus ? focus : box, GetParam().key);
        // A key that closes the window has ended its modal showing by now.
        stillShown = box->modalResult() == mrNone;
        if (stillShown)
            QTest::mouseClick(box->Button1, Qt::LeftButton);
    });
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(stillShown, !GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutKeys,
                         ::testing::Values(KeyCase{Qt::Key_Return, true},
                                           KeyCase{Qt::Key_Space, true},
                                           KeyCase{Qt::Key_Escape, false}));

TEST_F(AboutFixture, LinksOpenTheMailAndWebAddresses)
{
    box->show();
    QTest::mouseClick(box->Label4, Qt::LeftButton);
    QTest::mouseClick(box->Label5, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(opened[0].path(), box->Label4->text().mid(8));
    EXPECT_EQ(opened[1], QUrl(box->Label5->text()));
}

TEST_F(AboutFixture, LinkThatCannotBeOpenedShowsNothing)
{
    openerAnswer = false;
    const QSize size = box->size();
    box->show();
    QTest::mouseClick(box->Label4, Qt::LeftButton);
    QTest::mouseClick(box->Label5, Qt::LeftButton);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->size(), size);
}

} // namespace

int main(int argc, char **argv)
{
    // Test discovery runs the program without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
