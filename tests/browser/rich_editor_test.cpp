// Auto-Insert into rich-text editors: real CKEditor 4 and TinyMCE served on
// loopback, other editable boxes, and plain text areas that must see no change.
#include "browser/auto_insert_controller.h"
#include "browser/browser_helpers.h"
#include "panels/message_editor_panel.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QRegularExpression>

namespace {

// A browser that counts the scripts it runs in each world.
class CountingBrowser : public WebEngineBrowser {
public:
    using WebEngineBrowser::WebEngineBrowser;
    void runJavaScript(const QString &script, ScriptCallback callback) override
    {
        ++isolatedRuns;
        WebEngineBrowser::runJavaScript(script, std::move(callback));
    }
    void runJavaScriptInPage(const QString &script, ScriptCallback callback) override
    {
        ++pageRuns;
        WebEngineBrowser::runJavaScriptInPage(script, std::move(callback));
    }
    int isolatedRuns = 0;
    int pageRuns = 0;
};

// A posting form whose message area an editor takes over; setup is the page's
// script, which sets window.editorReady once the editor is up.
QByteArray editorPage(const QByteArray &head, const QByteArray &setup)
{
    return "<!DOCTYPE html><html><head><title>New reply</title>" + head + "</head><body>\n"
        + "<form action=\"/search\"><input type=\"text\" name=\"q\"></form>\n"
        + "<form action=\"/submit\" method=\"post\">Subject: <input type=\"text\" name=\"subject\">\n"
        + "<textarea name=\"message\" id=\"message\" rows=\"10\" cols=\"60\"></textarea>\n"
        + "<input type=\"submit\" value=\"Post\"></form>\n<script>" + setup + "</script></body></html>";
}

QByteArray ckeditorPage(const QByteArray &config, const QByteArray &whenReady = {})
{
    return editorPage("<script src=\"/ckeditor/ckeditor.js\"></script>",
        "CKEDITOR.replace('message'," + config + ");CKEDITOR.on('instanceReady',function(e){var ed=e.editor;"
            + whenReady + "window.editorReady=true;});");
}

QByteArray tinymcePage(const QByteArray &options, const QByteArray &setup = {})
{
    return editorPage("<script src=\"/tinymce/tinymce.min.js\"></script>",
        "tinymce.init({selector:'#message',promotion:false,branding:false," + options + "setup:function(ed){" + setup
            + "ed.on('init',function(){window.editorReady=true;});}});");
}

// An editor of a page's own: an editable box that the page copies into the
// hidden text area when the form is sent.
QByteArray boxEditorPage(const QByteArray &boxAttributes)
{
    return R"(<!DOCTYPE html><html><body><form action="/submit" method="post">
<input type="text" name="subject">
<textarea name="message" id="message" style="display:none"></textarea>
<div id="box" )"
        + boxAttributes + R"( style="width:500px;height:150px;border:1px solid"></div>
<input type="submit" value="Post"></form>
<script>
function syncEditor() { document.getElementById('message').value = document.getElementById('box').innerHTML; }
document.forms[0].addEventListener('submit', syncEditor);
window.editorReady = true;
</script></body></html>)";
}

// Forum pages without a posting form, only editable boxes.
const QByteArray kEditablePage = R"(<!DOCTYPE html><html><body><h1>New topic</h1>
<div id="title" contenteditable="true" style="width:300px;height:30px;border:1px solid"></div>
<div id="body" contenteditable="true" style="width:600px;height:200px;border:1px solid"></div>
<div id="hidden" contenteditable="true" style="display:none;width:900px;height:900px"></div>
<p>Posting happens by script.</p><script>window.editorReady = true;</script></body></html>)";

// Plain posting pages: the message area is a shown text area. The page
// records the events it sees.
const QByteArray kPlainRecorder = R"(<script>
window.seen = [];
var m = document.getElementById('message');
['input', 'change'].forEach(function(type) {
  m.addEventListener(type, function(e) { window.seen.push(e.type + ':' + e.target.value); });
});
</script>)";

struct PlainPage {
    const char *name;
    QByteArray html;
};

const PlainPage kPlainPages[] = {
    { "search form before the posting form",
        R"(<html><body><FORM action="/search"><input type="text" name="q"></FORM>
<form action="/submit" method="post"><input type="hidden" name="t" value="1">
<input type="text" name="subject"><textarea name="message" id="message"></textarea>
<input type="submit"></form>)"
            + kPlainRecorder + "</body></html>" },
    { "upper-case tags",
        R"(<HTML><BODY><FORM METHOD=POST><INPUT TYPE=TEXT NAME=subject>
<TEXTAREA NAME=message ID=message></TEXTAREA><INPUT TYPE=SUBMIT></FORM>)"
            + kPlainRecorder + "</BODY></HTML>" },
    { "editable box beside a shown text area",
        R"(<html><body><form method=post><div contenteditable="true" style="width:400px;height:100px">sig</div>
<textarea name="message" id="message"></textarea><input type=submit></form>)"
            + kPlainRecorder + "</body></html>" },
};

// The lines of an editor's HTML: a paragraph ends with a blank line, <br> is a
// line break, tags are dropped and the entities an editor writes decoded.
QString editorLines(QString html)
{
    html.replace(QRegularExpression(QStringLiteral("<br\\s*/?>\\s*")), QStringLiteral("\n"));
    html.replace(QRegularExpression(QStringLiteral("</p>\\s*")), QStringLiteral("\n\n"));
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.remove(QRegularExpression(QStringLiteral("^\\s+")));
    html.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    html.replace(QLatin1String("&lt;"), QLatin1String("<"));
    html.replace(QLatin1String("&gt;"), QLatin1String(">"));
    html.replace(QLatin1String("&quot;"), QLatin1String("\""));
    html.replace(QLatin1String("&amp;"), QLatin1String("&"));
    while (html.endsWith(QLatin1Char('\n')))
        html.chop(1);
    return html;
}

// The lines of an editable box's HTML as the browser's typing lays them out:
// text before the first block, then one line per block (a <br> alone is an
// empty line).
QString boxLinesScript(const QString &htmlExpression)
{
    return QStringLiteral("(function(){var h=document.createElement('div'),out=[],cur=null;h.innerHTML=%1;"
                          "h.childNodes.forEach(function(n){if(n.nodeType==1&&/^(DIV|P)$/.test(n.tagName)){"
                          "if(cur!==null)out.push(cur);cur=null;out.push(n.textContent);}"
                          "else cur=(cur||'')+n.textContent;});"
                          "if(cur!==null)out.push(cur);return out.join('\\n');})()")
        .arg(htmlExpression);
}

struct EditorApp {
    ScriptServer server;
    TestApp t;
    MainWindow *w = nullptr;
    CountingBrowser *browser = nullptr;

    EditorApp()
    {
        server.serveFolder("/ckeditor/", QStringLiteral(CKEDITOR_DIR));
        server.serveFolder("/tinymce/", QStringLiteral(NPM_DIR "/tinymce"));
        server.serveFolder("/npm/", QStringLiteral(NPM_DIR));
        w = &t.start([this](QObject *parent) {
            browser = new CountingBrowser(false, parent);
            return browser;
        });
        w->resize(1000, 760);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    // Loads a page and waits until its editor is up.
    bool open(const QByteArray &path, const QByteArray &html)
    {
        server.route(path, htmlPage(html));
        if (!loadAndWait(browser, server.base() + QString::fromLatin1(path)))
            return false;
        return waitFor([&] { return eval("!!window.editorReady").toBool(); }, 20000);
    }
    QVariant eval(const QString &script) { return evalInPage(browser->view(), script); }
    AutoInsertController &controller() const { return w->autoInsertController(); }
    QString boxLines(const QString &htmlExpression) { return eval(boxLinesScript(htmlExpression)).toString(); }
    // Runs Auto-Insert with the message and markup; false when it did not end.
    bool autoInsert(const QString &message, const QString &markup, bool *written)
    {
        w->messageEditor().setMessageText(message);
        t.find<QComboBox>("cmbConvert")->setCurrentText(markup);
        QSignalSpy done(&controller(), &AutoInsertController::autoInsertDone);
        t.click("cmdMessage");
        if (!done.wait(15000) || done.size() != 1)
            return false;
        *written = done.first().at(0).toBool();
        return true;
    }
};

struct EditorKind {
    const char *name;
    QByteArray page;
    const char *data; // the editor's content, as it will hand it to the form
    const char *sync; // the editor's own copy into the text area
};

const QString kMessage = QStringLiteral("Great offer at my site & more <today>!\r\nhttp://my.site.example/offer\r\n\r\n"
                                        "Ask me\r\nanything");
const QString kExpectedLines = QStringLiteral("Great offer at my site & more <today>!\n"
                                              "[url=http://my.site.example/offer]http://my.site.example/offer[/url]\n\n"
                                              "Ask me\nanything");

// CKEditor itself calls setData inside getData; only outside writes throw.
const QByteArray kThrowingSetData = "var real=ed.setData;ed.setData=function(d,o,internal){"
                                    "if(internal||(o&&o.internal))return real.apply(ed,arguments);"
                                    "throw new Error('blocked');};";

const QList<EditorKind> &editorKinds()
{
    static const QList<EditorKind> kinds {
        { "CKEditor 4", ckeditorPage("{}"), "CKEDITOR.instances.message.getData()",
            "CKEDITOR.instances.message.updateElement()" },
        { "TinyMCE", tinymcePage({}), "tinymce.get('message').getContent()", "tinymce.triggerSave()" },
        { "CKEditor 4 whose setData throws (typed into its frame)", ckeditorPage("{}", kThrowingSetData),
            "CKEDITOR.instances.message.getData()", "CKEDITOR.instances.message.updateElement()" },
        { "TinyMCE whose setContent throws (typed into its frame)",
            tinymcePage({}, "ed.on('init',function(){ed.setContent=function(){throw new Error('blocked');};});"),
            "tinymce.get('message').getContent()", "tinymce.triggerSave()" },
    };
    return kinds;
}

} // namespace

TEST(RichEditor, AutoInsertPutsTheMessageIntoTheEditorAndItsTextArea)
{
    for (const EditorKind &kind : editorKinds()) {
        SCOPED_TRACE(kind.name);
        EditorApp app;
        ASSERT_TRUE(app.open("/editor", kind.page));
        bool written = false;
        ASSERT_TRUE(app.autoInsert(kMessage, QStringLiteral("ubb"), &written));
        EXPECT_TRUE(written);
        EXPECT_TRUE(app.t.dialogs.boxes.isEmpty());
        EXPECT_EQ(editorLines(app.eval(kind.data).toString()), kExpectedLines) << "the lines survive as paragraphs";

        // What the form posts after the editor's own sync, from an empty start.
        app.eval(QStringLiteral("document.getElementById('message').value=''; %1; true").arg(kind.sync));
        EXPECT_EQ(editorLines(app.eval("new FormData(document.forms[1]).get('message')").toString()), kExpectedLines);

        // The automatic watch looks for the first line, as on a plain page.
        EXPECT_EQ(app.controller().watchCountdown(), 4);
        EXPECT_EQ(app.controller().insertedMessage(), app.w->outgoingMessage());
    }
}

TEST(RichEditor, HtmlMarkupGoesInAsMarkup)
{
    for (const EditorKind &kind : editorKinds().mid(0, 2)) {
        SCOPED_TRACE(kind.name);
        EditorApp app;
        ASSERT_TRUE(app.open("/editor", kind.page));
        bool written = false;
        ASSERT_TRUE(app.autoInsert(
            QStringLiteral("See http://my.site.example/\r\n<b>now</b>"), QStringLiteral("html"), &written));
        EXPECT_TRUE(written);
        const QString data
            = app.eval(QStringLiteral("(function(){var d=document.createElement('div');"
                                      "d.innerHTML=%1;var a=d.querySelector('a'),b=d.querySelector('b'"
                                      ")||d.querySelector('strong');return (a?a.getAttribute('href'):'')"
                                      "+'|'+(b?b.textContent:'')+'|'+d.querySelectorAll('br').length;})()")
                           .arg(kind.data))
                  .toString();
        EXPECT_EQ(data, "http://my.site.example/|now|1") << "a link, bold text, and the line break between them";
    }
}

TEST(RichEditor, ErrorBoxWhenTheEditorDoesNotTakeTheMessage)
{
    const char *ckData = "CKEDITOR.instances.message.getData()";
    const char *tinyData = "tinymce.get('message').getContent()";
    const struct {
        const char *name;
        QByteArray page;
        const char *data; // what the editor holds afterwards
    } rows[] = {
        { "CKEditor 4 read-only", ckeditorPage("{readOnly:true}"), ckData },
        { "TinyMCE read-only", tinymcePage("readonly:true,"), tinyData },
        { "CKEditor 4 that drops what it is given",
            ckeditorPage("{}", "ed.on('setData',function(e){e.data.dataValue='';});"), ckData },
        { "TinyMCE that drops what it is given",
            tinymcePage({}, "ed.on('BeforeSetContent',function(e){if(!e.initial)e.content='';});"), tinyData },
        { "CKEditor 4 whose setData never finishes", ckeditorPage("{}", "ed.setData=function(){};"), ckData },
        { "an editor box of the page's own, read-only", boxEditorPage("contenteditable=\"false\""),
            "document.getElementById('box').innerHTML" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EditorApp app;
        ASSERT_TRUE(app.open("/editor", row.page));
        bool written = true;
        ASSERT_TRUE(app.autoInsert(kMessage, QStringLiteral("ubb"), &written));
        EXPECT_FALSE(written);
        ASSERT_EQ(app.t.dialogs.boxes.size(), 1);
        EXPECT_EQ(app.t.dialogs.boxes[0].text, "Could not auto-insert your message.  Try pasting instead.");
        EXPECT_EQ(app.t.dialogs.boxes[0].title, "Auto-Insert Error");
        EXPECT_EQ(app.controller().watchCountdown(), 4) << "the posting form was found";
        EXPECT_EQ(app.eval(row.data).toString(), "") << "nothing was forced past the editor";
    }
}

TEST(RichEditor, AnEditorBoxOfThePagesOwnGetsTypedInto)
{
    EditorApp app;
    ASSERT_TRUE(app.open("/editor", boxEditorPage("contenteditable=\"true\"")));
    bool written = false;
    ASSERT_TRUE(app.autoInsert(kMessage, QStringLiteral("ubb"), &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(app.boxLines("document.getElementById('box').innerHTML"), kExpectedLines);
    EXPECT_EQ(app.eval("document.getElementById('message').value").toString(), kExpectedLines + "\n\n")
        << "the hidden text area holds it too";
    app.eval("syncEditor(); true");
    EXPECT_EQ(app.boxLines("document.getElementById('message').value"), kExpectedLines)
        << "and the page's own copy carries it";
}

TEST(RichEditor, AnEditorWithCKEditor5sInterfaceIsWrittenThroughIt)
{
    // Only the members that are used, on an editable box of the page's own:
    // the message must reach the editor's data, not just its box.
    EditorApp app;
    ASSERT_TRUE(app.open("/editor", R"(<!DOCTYPE html><html><body><form method="post">
<textarea name="message" id="message" style="display:none"></textarea>
<div class="ck ck-editor"><div class="ck-editor__editable" contenteditable="true" style="width:400px;height:100px">
</div></div><input type="submit"></form>
<script>
var box = document.querySelector('.ck-editor__editable'), data = '';
window.editor = { sourceElement: document.getElementById('message'), isReadOnly: false,
  setData: function(d) { data = d; box.innerHTML = d; }, getData: function() { return data; },
  updateSourceElement: function() { this.sourceElement.value = data; },
  ui: { getEditableElement: function() { return box; } } };
box.ckeditorInstance = window.editor;
window.editorReady = true;
</script></body></html>)"));
    bool written = false;
    ASSERT_TRUE(app.autoInsert(kMessage, QStringLiteral("ubb"), &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(editorLines(app.eval("editor.getData()").toString()), kExpectedLines);
    app.eval("document.getElementById('message').value=''; editor.updateSourceElement(); true");
    EXPECT_EQ(editorLines(app.eval("document.getElementById('message').value").toString()), kExpectedLines);
}

TEST(RichEditor, HiddenTextAreaWithoutAnEditorIsWrittenAsItStands)
{
    EditorApp app;
    ASSERT_TRUE(app.open("/hidden",
        "<html><body><form method=post><input name=subject>"
        "<textarea name=message id=message style=\"display:none\"></textarea></form>"
        "<script>window.editorReady=true;</script></body></html>"));
    bool written = false;
    ASSERT_TRUE(app.autoInsert(QStringLiteral("Quick reply\r\nline two"), QStringLiteral("text"), &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(app.eval("document.getElementById('message').value").toString(), "Quick reply\nline two\n\n");
    EXPECT_EQ(app.browser->pageRuns, 1) << "looked for an editor beside the page's scripts";
}

TEST(RichEditor, PageWithoutAFormTakesTheMessageInItsEditableBox)
{
    EditorApp app;
    ASSERT_TRUE(app.open("/compose", kEditablePage));
    bool written = false;
    // Nothing has the focus: the largest shown box.
    ASSERT_TRUE(app.autoInsert(kMessage, QStringLiteral("ubb"), &written));
    EXPECT_TRUE(written);
    EXPECT_TRUE(app.t.dialogs.boxes.isEmpty());
    EXPECT_EQ(app.boxLines("document.getElementById('body').innerHTML"), kExpectedLines);
    EXPECT_EQ(
        app.eval("document.getElementById('title').innerText + document.getElementById('hidden').innerText").toString(),
        "");
    EXPECT_EQ(app.controller().watchCountdown(), 4);
    EXPECT_EQ(app.controller().insertedMessage(), app.w->outgoingMessage());

    // The box with the keyboard focus is the one the user chose.
    app.eval("document.getElementById('title').focus(); true");
    ASSERT_TRUE(app.autoInsert(QStringLiteral("Short title"), QStringLiteral("text"), &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(app.eval("document.getElementById('title').innerText").toString(), "Short title");
    EXPECT_EQ(app.boxLines("document.getElementById('body').innerHTML"), kExpectedLines);
}

TEST(RichEditor, NoFormAndNoEditableBoxStillShowsTheErrorWithoutAWatch)
{
    EditorApp app;
    ASSERT_TRUE(app.open("/read",
        "<html><body><p>Just reading.</p><script>window.editorReady=true;</script>"
        "</body></html>"));
    app.controller().setWatchCountdown(0);
    bool written = true;
    ASSERT_TRUE(app.autoInsert(QStringLiteral("Hello"), QStringLiteral("text"), &written));
    EXPECT_FALSE(written);
    ASSERT_EQ(app.t.dialogs.boxes.size(), 1);
    EXPECT_EQ(app.t.dialogs.boxes[0].title, "Auto-Insert Error");
    EXPECT_EQ(app.controller().watchCountdown(), 0);
}

TEST(RichEditor, PlainTextAreasAreWrittenAsBeforeInOneRun)
{
    for (const PlainPage &page : kPlainPages) {
        SCOPED_TRACE(page.name);
        EditorApp app;
        ASSERT_TRUE(app.open("/post", page.html + "<script>window.editorReady=true;</script>"));
        const int before = app.browser->isolatedRuns;
        bool written = false;
        ASSERT_TRUE(app.autoInsert(QStringLiteral("Hello & <b>\r\nline two"), QStringLiteral("text"), &written));
        EXPECT_TRUE(written);
        EXPECT_EQ(app.eval("document.getElementById('message').value").toString(), "Hello & <b>\nline two\n\n");
        EXPECT_EQ(app.eval("window.seen.join('|')").toString(),
            "input:Hello & <b>\nline two\n\n|change:Hello & <b>\nline two\n\n");
        EXPECT_EQ(app.browser->isolatedRuns - before, 2) << "the body read and the write";
        EXPECT_EQ(app.browser->pageRuns, 0) << "nothing runs beside the page's scripts";
    }
}
