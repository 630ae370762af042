#include "errorbox.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>

#include "exceptions.h"

namespace {

struct TextCase {
    QString message;
    QString shown;
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.message.toStdString();
}

class ErrorBoxTextTest : public testing::TestWithParam<TextCase>
{
};

TEST_P(ErrorBoxTextTest, AppendsAFullStopOnlyAfterCharactersAboveIt)
{
    EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().shown);
}

#define SAME(text) TextCase{QStringLiteral(text), QStringLiteral(text)}
#define DOTTED(text) TextCase{QStringLiteral(text), QStringLiteral(text ".")}

INSTANTIATE_TEST_SUITE_P(
    Rule, ErrorBoxTextTest,
    testing::Values(SAME(""), DOTTED("Table does not exist"), DOTTED("Error 42"),
                    DOTTED("Path:"), DOTTED("Delete record?"), DOTTED("/opt/x/"),
                    DOTTED("Нет таблицы"), DOTTED("а"), SAME("Done."), SAME("Stop!"),
                    SAME("a,"), SAME("(a)"), SAME("'a'"), SAME("\"a\""), SAME("a "),
                    SAME("line\n"), SAME("-")));

// Records what the error box would show.
class ErrorBoxTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_previous = setErrorBoxPresenter([this](const QString &caption, const QString &text) {
            m_shown.push_back({caption, text});
        });
    }
    void TearDown() override { setErrorBoxPresenter(m_previous); }

    std::vector<std::pair<QString, QString>> m_shown;
    ErrorBoxPresenter m_previous;
};

TEST_F(ErrorBoxTest, HandleShowsWhatLeavesAHandler)
{
    struct Case {
        const char *name;
        std::function<void()> handler;
        bool completes;
        std::optional<QString> shown;
    };
    const Case cases[] = {
        {"NoError", [] {}, true, std::nullopt},
        {"OurException", [] { throw EIniFileException(QStringLiteral("Unable to write to /x/fonvik.ini")); },
         false, QStringLiteral("Unable to write to /x/fonvik.ini.")},
        {"CyrillicMessage", [] { throw EDatabaseError(QStringLiteral("Ошибка")); }, false,
         QStringLiteral("Ошибка.")},
        {"StdException", [] { throw std::runtime_error("disk full"); }, false, QStringLiteral("disk full.")},
        {"SomethingElse", [] { throw 42; }, false, QStringLiteral("Unknown exception.")},
        {"Abort", [] { throw EAbort(); }, false, std::nullopt},
    };
    for (const Case &c : cases) {
        m_shown.clear();
        EXPECT_EQ(Handle(c.handler), c.completes) << c.name;
        if (!c.shown) {
            EXPECT_TRUE(m_shown.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(m_shown.size(), 1u) << c.name;
        EXPECT_EQ(m_shown[0].first, QStringLiteral("errorbox_test")) << c.name;
        EXPECT_EQ(m_shown[0].second, *c.shown) << c.name;
    }
}

TEST_F(ErrorBoxTest, HandleSkipsTheRestOfTheHandler)
{
    int steps = 0;
    Handle([&] {
        ++steps;
        throw EDatabaseError(QStringLiteral("stop"));
        ++steps;
    });
    EXPECT_EQ(steps, 1);
}

// A widget whose event handler raises.
class Raiser : public QWidget
{
protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw EDatabaseError(QStringLiteral("From the event loop"));
        return QWidget::event(e);
    }
};

TEST_F(ErrorBoxTest, TheApplicationShowsExceptionsFromEventHandlersAndGoesOn)
{
    Raiser raiser;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&raiser, &event);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].second, QStringLiteral("From the event loop."));

    // The same through the running event loop, which then goes on to its next message.
    bool later = false;
    QCoreApplication::postEvent(&raiser, new QEvent(QEvent::User));
    QTimer::singleShot(0, [&] { later = true; QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_TRUE(later);
    EXPECT_EQ(m_shown.size(), 2u);
}

} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the binary without the test's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
