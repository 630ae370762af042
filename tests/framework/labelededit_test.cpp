#include "labelededit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

namespace {

struct PlacementCase
{
    int left, top, width, height;
    int spacing;
};

class LabeledEditPlacement : public ::testing::TestWithParam<PlacementCase>
{
};

// The label sits left-aligned with the box, `spacing` pixels above it, whichever of the
// box's placement and the label's caption came first.
TEST_P(LabeledEditPlacement, LabelSitsAboveTheBox)
{
    const PlacementCase c = GetParam();
    QWidget parent;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    parent.setFont(font);
    TLabeledEdit edit(&parent);
    edit.setLabelSpacing(c.spacing);
    edit.setBounds(c.left, c.top, c.width, c.height);
    edit.setLabelCaption(QStringLiteral("Путь к базе"));
    const QRect label = edit.editLabel()->geometry();
    EXPECT_EQ(label.left(), c.left);
    EXPECT_EQ(label.bottom() + 1 + c.spacing, c.top);
    EXPECT_GT(label.width(), 0);
    EXPECT_EQ(edit.editLabel()->parentWidget(), &parent);

    parent.show();
    edit.move(c.left + 10, c.top + 20);
    EXPECT_EQ(edit.editLabel()->geometry().left(), c.left + 10);
    EXPECT_EQ(edit.editLabel()->geometry().bottom() + 1 + c.spacing, c.top + 20);
}

INSTANTIATE_TEST_SUITE_P(Cases, LabeledEditPlacement,
                         ::testing::Values(PlacementCase{312, 16, 289, 21, 3},
                                           PlacementCase{0, 16, 305, 21, 3},
                                           PlacementCase{5, 40, 100, 21, 0}),
                         [](const auto &info) {
                             return "Left" + std::to_string(info.param.left) + "Spacing"
                                    + std::to_string(info.param.spacing);
                         });

TEST(LabeledEdit, LabelFollowsVisibilityAndGoesWithTheBox)
{
    QWidget parent;
    auto *edit = new TLabeledEdit(&parent);
    edit->setLabelCaption(QStringLiteral("Название организации"));
    parent.show();
    EXPECT_TRUE(edit->editLabel()->isVisible());
    edit->hide();
    EXPECT_FALSE(edit->editLabel()->isVisible());
    QPointer<QLabel> label = edit->editLabel();
    delete edit;
    EXPECT_TRUE(label.isNull());
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
