// The help file the programs ship, shown in the real help window: a page whose contents links
// all lead somewhere, which names every command of the main window's menus and the run dialog's
// options, and which is written in the program's own words.
#include "main_form_fixture.h"

#include <QMenuBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <set>

#include "platform/program_folder_testing.h"
#include "platform/qt/qt_prompts.h"

namespace {

class HelpFileTest : public MainFormTest {
protected:
    // The page as the help window shows it, from the file in the sources.
    QTextBrowser* ShowShippedHelp(platform::QtPrompts& qt) {
        platform::SetProgramFolderForTesting(std::string(EXAMPLES_DIR) + "/../workbench/help/");
        EXPECT_TRUE(qt.ShowHelp("Halvorine.hlp"));
        return qt.HelpWindow() ? qt.HelpWindow()->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser")) : nullptr;
    }
};

TEST_F(HelpFileTest, ThePageShowsWithWorkingContentsLinks) {
    platform::QtPrompts qt(form.get());
    QTextBrowser* browser = ShowShippedHelp(qt);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Halvorine help"));
    std::set<QString> anchors, links;
    for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            for (const QString& n : f.anchorNames()) anchors.insert(n);
            if (f.isAnchor() && f.anchorHref().startsWith('#')) links.insert(f.anchorHref().mid(1));
        }
    EXPECT_GE(links.size(), 10u);
    for (const QString& l : links) EXPECT_TRUE(anchors.count(l)) << "no section " << l.toStdString();
}

TEST_F(HelpFileTest, ItNamesEveryMenuCommandAndRunOption) {
    platform::QtPrompts qt(form.get());
    QTextBrowser* browser = ShowShippedHelp(qt);
    ASSERT_NE(browser, nullptr);
    const QString text = browser->toPlainText();
    std::vector<QString> missing;
    const std::function<void(QMenu*)> visit = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            QString caption = a->text().remove('&');
            if (caption.endsWith(QStringLiteral("..."))) caption.chop(3);
            // The filtering item's caption says what it will do next.
            if (caption.contains(QStringLiteral("filtering"), Qt::CaseInsensitive))
                caption = QStringLiteral("filtering");
            if (!caption.isEmpty() && !text.contains(caption, Qt::CaseInsensitive)) missing.push_back(caption);
            if (a->menu()) visit(a->menu());
        }
    };
    for (QAction* top : form->menuBar()->actions()) {
        const QString caption = top->text().remove('&');
        if (!text.contains(caption, Qt::CaseInsensitive)) missing.push_back(caption);
        if (top->menu()) visit(top->menu());
    }
    for (const char* option : {"Global",
                               "Equal",
                               "Item",
                               "User",
                               "DM optimisation",
                               "Bayesian Updates",
                               "Discrepancy",
                               "Calibration Power",
                               "Intrinsic Range",
                               "Decision Maker name",
                               "Significance",
                               "Chi2",
                               "Inf",
                               "Robustness (items)",
                               "Robustness (experts)",
                               "Solution",
                               "Expert Scores",
                               "Bilinear Loss",
                               "Range Graph",
                               "Calibr.",
                               "Mean relative information",
                               "UnNormalized weight",
                               "Normaliz. weight",
                               ".dtt",
                               ".rls",
                               "NQ=",
                               "QU="})
        if (!text.contains(QString::fromLatin1(option))) missing.push_back(QString::fromLatin1(option));
    for (const QString& m : missing) ADD_FAILURE() << "not in the help: " << m.toStdString();
}

}  // namespace
