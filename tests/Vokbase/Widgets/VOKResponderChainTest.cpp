#include "VOKResponderChain.h"
#include "WindowLayerTest.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A pane that answers some commands, as a viewer's panes do.
class CommandPane final : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    QList<int> findTags;
    int copies = 0;

public Q_SLOTS:
    void copy() { ++copies; }
    void performFindPanelAction(int tag) { findTags.append(tag); }
};

class CommandViewController final : public VOKViewController
{
    Q_OBJECT

public:
    CommandViewController()
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(pane);
        layout->addWidget(field);
        pane->setFocusPolicy(Qt::StrongFocus);
    }
    CommandPane *pane = new CommandPane(this);
    QLineEdit *field = new QLineEdit(this);
    int pauses = 0;

public Q_SLOTS:
    void togglePause() { ++pauses; }
};

} // namespace

using VOKResponderChainTest = WindowLayerTest;

TEST_F(VOKResponderChainTest, TheFocusDecidesWhoAnswersACommand)
{
    EXPECT_FALSE(VOKResponderChain::canPerform("copy()"));

    auto *const content = new CommandViewController();
    VOKWindowController *const controller =
        VOKWindowController::presentViewController(std::unique_ptr<VOKViewController>(content));
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller->window()));

    content->pane->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return content->pane->hasFocus(); }));
    EXPECT_EQ(VOKResponderChain::targetForAction("copy()"), content->pane);
    EXPECT_TRUE(VOKResponderChain::perform("performFindPanelAction(int)", 2));
    EXPECT_TRUE(VOKResponderChain::perform("performFindPanelAction( int )", QStringLiteral("3")));
    EXPECT_EQ(content->pane->findTags, QList<int>({2, 3}));
    // The window's content answers what the focused pane does not.
    EXPECT_TRUE(VOKResponderChain::perform("togglePause()"));
    EXPECT_EQ(content->pauses, 1);
    EXPECT_FALSE(VOKResponderChain::perform("performDelete()"));

    // A text field takes copy for itself.
    content->field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return content->field->hasFocus(); }));
    EXPECT_EQ(VOKResponderChain::targetForAction("copy()"), content->field);
    EXPECT_EQ(VOKResponderChain::targetForAction("performFindPanelAction(int)"), nullptr);
}

#include "VOKResponderChainTest.moc"
