// The writer's control flow against a browser without an engine: which
// scripts run in which world, and that the caller hears exactly once.
#include "browser/message_writer.h"
#include "support/fake_browser.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTest>

namespace {

// The number a write or check script gives as its last argument.
int writeId(const QString &script)
{
    const auto m = QRegularExpression(QStringLiteral(",?(\\d+)\\)$")).match(script);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

const QVariant kOk = QVariantMap { { "ok", true } };
const QVariant kNotThere = QVariantMap { { "ok", false } };
const QVariant kPending = QVariantMap { { "pending", true } };
const QVariant kWaiting = QVariantMap { { "pending", true }, { "wait", true } };

struct Writing {
    FakeBrowser browser;
    MessageWriter writer { &browser };
    QList<bool> answers;

    void write(int form, int field, bool asHtml = false)
    {
        writer.write(
            form, field, QStringLiteral("Hello & <b>\r\n\r\n"), asHtml, [this](bool ok) { answers.append(ok); });
    }
};

} // namespace

TEST(MessageWriter, ScriptsRunAndTheAnswer)
{
    struct Row {
        const char *name;
        int form;
        int field;
        QVariant fieldAnswer; // the text-area write in the isolated world
        QList<QVariant> pageAnswers; // the runs beside the page's scripts
        int isolatedRuns;
        int pageRuns;
        bool written;
    };
    const QList<Row> rows = {
        { "plain text area: one run, nothing beside the page", 1, 2, true, {}, 1, 0, true },
        { "plain text area that cannot be written", 1, 2, false, {}, 1, 0, false },
        { "no answer from the page to the field write", 1, 2, QVariant(), {}, 1, 0, false },
        { "editor in the field's place takes the message", 1, 2, "editor", { kOk }, 1, 1, true },
        { "editor that does not hand the message on", 1, 2, "editor", { kNotThere }, 1, 1, false },
        { "page gone before the editor answered", 1, 2, "editor", {}, 1, 1, false },
        { "no posting form: the editable box takes it", -1, -1, QVariant(), { kOk }, 0, 1, true },
        { "no posting form and no editable box", -1, -1, QVariant(), { kNotThere }, 0, 1, false },
        { "form without a field index counts as no form", 0, -1, QVariant(), { kOk }, 0, 1, true },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Writing w;
        w.browser.fieldWriteAnswer = r.fieldAnswer.isValid() ? r.fieldAnswer : QVariant(QVariant::fromValue(nullptr));
        w.browser.pageAnswers = r.pageAnswers;
        w.write(r.form, r.field);
        EXPECT_EQ(w.answers, QList<bool> { r.written });
        EXPECT_EQ(w.browser.scripts.size(), r.isolatedRuns);
        EXPECT_EQ(w.browser.pageScripts.size(), r.pageRuns);
    }
}

TEST(MessageWriter, ScriptsCarryTheIndicesAndTheMessageQuoted)
{
    Writing w;
    w.browser.fieldWriteAnswer = "editor";
    w.browser.pageAnswers = { kOk };
    w.write(3, 7, true);
    ASSERT_EQ(w.browser.scripts.size(), 1);
    EXPECT_TRUE(w.browser.scripts[0].contains(R"(})(3,7,"Hello & <b>\r\n\r\n"))"))
        << w.browser.scripts[0].toStdString();
    ASSERT_EQ(w.browser.pageScripts.size(), 1);
    EXPECT_TRUE(w.browser.pageScripts[0].contains("document.forms[3]"));
    EXPECT_TRUE(w.browser.pageScripts[0].contains("querySelectorAll('input,textarea')[7]"));
    EXPECT_TRUE(w.browser.pageScripts[0].contains(R"(})("Hello & <b>\r\n\r\n","<p>Hello & <b></p>",true,)"))
        << w.browser.pageScripts[0].right(80).toStdString();
}

TEST(MessageWriter, ABusyEditorIsAskedAgainUntilItAnswersOrTheChecksRunOut)
{
    struct Row {
        const char *name;
        QList<QVariant> pageAnswers;
        bool written;
        int pageRuns;
    };
    const QList<Row> rows = {
        { "an editor that takes it later", { kWaiting, kPending, kOk }, true, 3 },
        { "an editor that never finishes", { kWaiting }, false, 1 + MessageWriter::kChecks },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        Writing w;
        w.browser.fieldWriteAnswer = "editor";
        w.browser.pageAnswers = r.pageAnswers;
        w.write(0, 0);
        EXPECT_TRUE(w.answers.isEmpty()) << "no answer while the editor is busy";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.answers.isEmpty(); }, 10000));
        EXPECT_EQ(w.answers, QList<bool> { r.written });
        ASSERT_EQ(w.browser.pageScripts.size(), r.pageRuns);
        EXPECT_TRUE(w.browser.pageScripts[1].contains("s.id===id"));
        EXPECT_EQ(writeId(w.browser.pageScripts[1]), writeId(w.browser.pageScripts[0])) << "the check names the write";
        QTest::qWait(3 * MessageWriter::kCheckIntervalMs);
        EXPECT_EQ(w.answers.size(), 1) << "the caller hears once";
    }
}

TEST(MessageWriter, EachWriteHasItsOwnNumberAndAnswer)
{
    Writing w;
    w.browser.holdPageCallbacks = true;
    w.write(-1, -1);
    w.write(-1, -1);
    ASSERT_EQ(w.browser.heldCallbacks.size(), 2);
    EXPECT_GT(writeId(w.browser.pageScripts[0]), 0);
    EXPECT_NE(writeId(w.browser.pageScripts[0]), writeId(w.browser.pageScripts[1]));
    w.browser.heldCallbacks[1](kOk);
    w.browser.heldCallbacks[0](kNotThere);
    EXPECT_EQ(w.answers, (QList<bool> { true, false }));
}

TEST(MessageWriter, GoneWriterIgnoresLateAnswers)
{
    FakeBrowser browser;
    browser.holdPageCallbacks = true;
    int calls = 0;
    {
        MessageWriter writer(&browser);
        writer.write(-1, -1, QStringLiteral("x"), false, [&](bool) { ++calls; });
    }
    ASSERT_EQ(browser.heldCallbacks.size(), 1);
    browser.heldCallbacks[0](kOk);
    EXPECT_EQ(calls, 0);
}
