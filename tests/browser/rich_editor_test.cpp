// Auto-Insert and Paste Message into rich-text editors: real CKEditor 4,
// TinyMCE, Lexical, Draft.js and Quill served on loopback, other editable
// boxes, and plain text areas that must see no change.
#include "browser/browser_helpers.h"

#include <gtest/gtest.h>

#include <QPushButton>
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

// Quill 2 in place of the posting form's text area, which the page fills from
// Quill when the form is sent. setup runs with the editor at hand, as quill.
QByteArray quillPage(const QByteArray &setup = {})
{
    return editorPage(R"(<link rel="stylesheet" href="/npm/quill/dist/quill.snow.css">
<script src="/npm/quill/dist/quill.js"></script>)",
        "var ta=document.getElementById('message'),box=document.createElement('div');ta.style.display='none';"
        "box.style.height='150px';ta.after(box);var quill=new Quill(box,{theme:'snow'});"
        "document.forms[1].addEventListener('submit',function(){ta.value=quill.getText();});"
        "window.clearEditor=function(){quill.setText('');};"
            + setup + "window.editorReady=true;");
}

// An editor of a page's own: an editable box that the page copies into the
// hidden text area when the form is sent. script runs after the box is set up.
QByteArray boxEditorPage(const QByteArray &boxAttributes, const QByteArray &content = {}, const QByteArray &script = {})
{
    return R"(<!DOCTYPE html><html><body><form action="/submit" method="post">
<input type="text" name="subject">
<textarea name="message" id="message" style="display:none"></textarea>
<div id="box" )"
        + boxAttributes + R"( style="width:500px;height:150px;border:1px solid">)" + content + R"(</div>
<input type="submit" value="Post"></form>
<script>
var box = document.getElementById('box');
function syncEditor() { document.getElementById('message').value = box.innerHTML; }
document.forms[0].addEventListener('submit', syncEditor);
)" + script
        + R"(
window.editorReady = true;
</script></body></html>)";
}

// A composer of today's single-page forums: Lexical's plain-text editor,
// loaded as modules without a bundler. setup runs with the editor at hand, as
// editor, and Lexical's exports, as lexical.
QByteArray lexicalPage(const QByteArray &setup = {})
{
    return R"(<!DOCTYPE html><html><head><title>Compose</title><script type="importmap">{"imports": {
"lexical": "/npm/lexical/Lexical.prod.mjs",
"@lexical/plain-text": "/npm/@lexical/plain-text/LexicalPlainText.prod.mjs",
"@lexical/clipboard": "/npm/@lexical/clipboard/LexicalClipboard.prod.mjs",
"@lexical/html": "/npm/@lexical/html/LexicalHtml.prod.mjs",
"@lexical/selection": "/npm/@lexical/selection/LexicalSelection.prod.mjs",
"@lexical/utils": "/npm/@lexical/utils/LexicalUtils.prod.mjs"}}</script></head>
<body><h1>Fitness composer check</h1>
<div id="composer" contenteditable="true" style="width:600px;height:200px;border:1px solid"></div>
<script type="module">
import * as lexical from 'lexical';
import { registerPlainText } from '@lexical/plain-text';
const editor = lexical.createEditor({ namespace: 'composer', onError: e => { throw e; } });
editor.setRootElement(document.getElementById('composer'));
registerPlainText(editor);
window.editorText = () => editor.getEditorState().read(() => lexical.$getRoot().getTextContent());
window.clearEditor = () => editor.update(() => lexical.$getRoot().clear().append(lexical.$createParagraphNode()),
  { discrete: true });
)" + setup
        + R"(
window.editorReady = true;
</script></body></html>)";
}

// Draft.js, an editor on React whose document lives in the page's React state.
QByteArray draftPage(const char *text)
{
    return QByteArray(R"(<!DOCTYPE html><html><head><title>Reply</title>
<script src="/npm/react/umd/react.production.min.js"></script>
<script src="/npm/react-dom/umd/react-dom.production.min.js"></script>
<script src="/npm/immutable/dist/immutable.min.js"></script>
<script src="/npm/draft-js/dist/Draft.min.js"></script></head>
<body><div id="composer" style="width:600px;height:200px;border:1px solid"></div>
<script>
function Composer() {
  const [state, setState] = React.useState(
    () => Draft.EditorState.createWithContent(Draft.ContentState.createFromText(')")
        + text + R"(')));
  window.editorText = () => state.getCurrentContent().getPlainText();
  window.clearEditor = () => setState(Draft.EditorState.createEmpty());
  React.useEffect(() => { window.editorReady = true; }, []);
  return React.createElement(Draft.Editor, { editorState: state, onChange: setState });
}
ReactDOM.createRoot(document.getElementById('composer')).render(React.createElement(Composer));
</script></body></html>)";
}

// Lexical with a paragraph of text in it.
// A text area whose page adds its signature to whatever it is given.
QByteArray signedTextAreaPage(const QByteArray &areaAttributes)
{
    return "<html><body><form method=post><textarea name=message id=message " + areaAttributes + R"(>My draft
-- Sent from Forum Mobile</textarea></form><script>
var m = document.getElementById('message');
m.addEventListener('input', function() {
  if (!/-- Sent from Forum Mobile$/.test(m.value)) m.value = m.value.trimEnd() + '\n-- Sent from Forum Mobile';
});
window.editorReady = true;
</script></body></html>)";
}

QByteArray lexicalText(const char *text)
{
    return QByteArray("editor.update(() => lexical.$getRoot().clear().append(lexical.$createParagraphNode().append("
                      "lexical.$createTextNode('")
        + text + "'))), { discrete: true });";
}

// Forum pages without a posting form, only editable boxes.
const QByteArray kEditablePage = R"(<!DOCTYPE html><html><body><h1>New topic</h1>
<div id="title" contenteditable="true" style="width:300px;height:30px;border:1px solid"></div>
<div id="body" contenteditable="true" style="width:600px;height:200px;border:1px solid"></div>
<div id="hidden" contenteditable="true" style="display:none;width:900px;height:900px"></div>
<p>Posting happens by script.</p><script>window.editorReady = true;</script></body></html>)";

// An editor with CKEditor 5's interface, only the members that are used, on
// an editable box of the page's own: the message must reach the editor's
// data, not just its box.
const QByteArray kCkEditor5Page = R"(<!DOCTYPE html><html><body><form method="post">
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
</script></body></html>)";

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

// What an editor's content is: its text, its markup, or the HTML that the
// browser's typing leaves in an editable box.
enum Lines { Text, Markup, Box };

// The window with the editors' own files served beside the pages.
struct EditorApp : BrowserApp<CountingBrowser> {
    EditorApp()
    {
        server.serveFolder("/ckeditor/", QStringLiteral(CKEDITOR_DIR));
        server.serveFolder("/tinymce/", QStringLiteral(NPM_DIR "/tinymce"));
        server.serveFolder("/npm/", QStringLiteral(NPM_DIR));
    }
    // Loads a page and waits until its editor is up.
    bool open(const QByteArray &path, const QByteArray &html)
    {
        server.route(path, htmlPage(html));
        return load(path) && waitFor([&] { return eval("!!window.editorReady").toBool(); }, 20000);
    }
    QString boxLines(const QString &htmlExpression) { return eval(boxLinesScript(htmlExpression)).toString(); }
    // The lines of what an expression gives, without the line breaks at its end.
    QString lines(const QString &expression, Lines how)
    {
        if (how == Box)
            return boxLines(expression);
        QString text = eval(expression).toString();
        if (how == Markup)
            return editorLines(text);
        while (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        return text;
    }
    // Paste Message as a user uses it: a click in the page's editor, then a
    // click on the button, which types the message there.
    bool pasteMessage()
    {
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            return false;
        const QVariantList at = eval("(function(){var r=document.querySelector('[contenteditable=true]')"
                                     ".getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()")
                                    .toList();
        if (at.size() != 2)
            return false;
        QTest::mouseClick(browser->keyTarget(), Qt::LeftButton, {}, QPoint(at[0].toInt(), at[1].toInt()));
        if (!waitFor([&] { return eval("document.hasFocus() && document.activeElement.isContentEditable").toBool(); }))
            return false;
        QTest::mouseClick(t.find<QPushButton>("cmdPaste_3"), Qt::LeftButton);
        return true;
    }
};

struct EditorKind {
    const char *name;
    QByteArray page;
    const char *data; // the editor's own content: what it will post
    Lines lines;
    const char *sync; // the editor's own copy into the form's text area; none without a form
    bool pasteToo; // Paste Message is tried as well (the page has clearEditor)
    bool htmlToo; // the user's own HTML markup is tried as well
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
        { "CKEditor 4", ckeditorPage("{}"), "CKEDITOR.instances.message.getData()", Markup,
            "CKEDITOR.instances.message.updateElement()", false, true },
        { "TinyMCE", tinymcePage({}), "tinymce.get('message').getContent()", Markup, "tinymce.triggerSave()", false,
            true },
        { "CKEditor 4 whose setData throws (typed into its frame)", ckeditorPage("{}", kThrowingSetData),
            "CKEDITOR.instances.message.getData()", Markup, "CKEDITOR.instances.message.updateElement()", false,
            false },
        { "TinyMCE whose setContent throws (typed into its frame)",
            tinymcePage({}, "ed.on('init',function(){ed.setContent=function(){throw new Error('blocked');};});"),
            "tinymce.get('message').getContent()", Markup, "tinymce.triggerSave()", false, false },
        // Lexical's plain-text editor takes markup as the text it is.
        { "Lexical, a composer without a form", lexicalPage(lexicalText("Old draft")), "editorText()", Text, nullptr,
            true, false },
        { "Draft.js on React, a composer without a form", draftPage("Old draft"), "editorText()", Text, nullptr, true,
            true },
        { "Quill 2", quillPage("quill.setText('Old draft');"), "quill.getText()", Text,
            "document.getElementById('message').value=quill.getText()", true, true },
        // The page copies its box into the hidden text area, which the writer fills as well.
        { "an editor box of the page's own", boxEditorPage("contenteditable=\"true\""),
            "document.getElementById('box').innerHTML", Box, "syncEditor()", false, false },
        { "an editor with CKEditor 5's interface", kCkEditor5Page, "editor.getData()", Markup,
            "editor.updateSourceElement()", false, false },
        { "a hidden text area without an editor, written as it stands",
            "<html><body><form method=post><input name=subject><textarea name=message id=message "
            "style=\"display:none\"></textarea></form><script>window.editorReady=true;</script></body></html>",
            "document.getElementById('message').value", Text, nullptr, false, false },
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
        EXPECT_EQ(app.lines(kind.data, kind.lines), kExpectedLines)
            << "the message once, in its lines, and nothing else";
        const QString textArea = "document.getElementById('message').value";
        if (kind.lines == Box)
            EXPECT_EQ(app.eval(textArea).toString(), kExpectedLines + "\n\n") << "the hidden text area holds it too";

        // What the form posts after the editor's own sync, from an empty start.
        if (kind.sync) {
            app.eval(QStringLiteral("document.getElementById('message').value=''; %1; true").arg(kind.sync));
            EXPECT_EQ(app.lines(textArea, kind.lines), kExpectedLines);
        }

        // The automatic watch looks for the first line, as on a plain page.
        EXPECT_EQ(app.controller().watchCountdown(), 4);
        EXPECT_EQ(app.controller().insertedMessage(), app.w->outgoingMessage());

        if (kind.pasteToo) {
            // The user goes back to the message, then to the page.
            QTest::mouseClick(app.t.find<QWidget>("txtMessage"), Qt::LeftButton);
            ASSERT_TRUE(waitFor([&] { return !app.eval("document.hasFocus()").toBool(); }));
            app.eval("clearEditor(); true");
            ASSERT_TRUE(waitFor([&] { return app.lines(kind.data, kind.lines).isEmpty(); }));
            ASSERT_TRUE(app.pasteMessage());
            EXPECT_TRUE(waitFor([&] { return app.lines(kind.data, kind.lines) == kExpectedLines; }))
                << "typed by Paste Message: " << app.eval(kind.data).toString().toStdString();
        }
    }
}

TEST(RichEditor, HtmlMarkupGoesInAsMarkup)
{
    for (const EditorKind &kind : editorKinds()) {
        if (!kind.htmlToo)
            continue;
        SCOPED_TRACE(kind.name);
        EditorApp app;
        ASSERT_TRUE(app.open("/editor", kind.page));
        bool written = false;
        ASSERT_TRUE(app.autoInsert(
            QStringLiteral("See http://my.site.example/\r\n<b>now</b>"), QStringLiteral("html"), &written));
        EXPECT_TRUE(written);
        if (kind.lines == Text) {
            EXPECT_EQ(app.lines(kind.data, Text), "See http://my.site.example/\nnow")
                << "the text the markup shows, in its lines, and nothing else";
            continue;
        }
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

TEST(RichEditor, ErrorBoxWhenTheEditorDoesNotTakeTheMessageAndItKeepsWhatItHad)
{
    const char *ckData = "CKEDITOR.instances.message.getData()";
    const char *tinyData = "tinymce.get('message').getContent()";
    const char *boxText = "document.getElementById('box').innerText";
    const struct {
        const char *name;
        QByteArray page;
        const char *data; // what the editor holds afterwards
        const char *before; // what it held before, white space at its ends aside
        bool formFound;
    } rows[] = {
        { "CKEditor 4 read-only", ckeditorPage("{readOnly:true}"), ckData, "", true },
        { "TinyMCE read-only", tinymcePage("readonly:true,"), tinyData, "", true },
        { "CKEditor 4 that drops what it is given",
            ckeditorPage("{}", "ed.on('setData',function(e){e.data.dataValue='';});"), ckData, "", true },
        { "TinyMCE that drops what it is given",
            tinymcePage({}, "ed.on('BeforeSetContent',function(e){if(!e.initial)e.content='';});"), tinyData, "",
            true },
        { "CKEditor 4 whose setData never finishes", ckeditorPage("{}", "ed.setData=function(){};"), ckData, "", true },
        { "an editor box of the page's own, read-only", boxEditorPage("contenteditable=\"false\""),
            "document.getElementById('box').innerHTML", "", true },
        { "an editor box of the page's own that drops every write",
            boxEditorPage("contenteditable=\"true\"", "Draft kept by the forum",
                "var model = box.innerHTML;"
                "['beforeinput', 'paste', 'drop'].forEach(function(type) {"
                "  box.addEventListener(type, function(e) { e.preventDefault(); }); });"
                "new MutationObserver(function() { if (box.innerHTML != model) box.innerHTML = model; })"
                "  .observe(box, { childList: true, subtree: true, characterData: true });"),
            boxText, "Draft kept by the forum", true },
        { "an editor box of the page's own that cuts its text at 30 characters",
            boxEditorPage("contenteditable=\"true\"", "Draft",
                "box.addEventListener('input', function() {"
                "  if (box.innerText.length > 30) box.innerText = box.innerText.slice(0, 30); });"),
            boxText, "Draft", true },
        { "an editor box of the page's own that runs the lines together",
            boxEditorPage("contenteditable=\"true\"", "Draft",
                "box.addEventListener('input', function() {"
                "  if (/\\n/.test(box.innerText)) box.textContent = box.innerText.replace(/\\s*\\n\\s*/g, ' '); });"),
            boxText, "Draft", true },
        { "Lexical that cuts its text at 30 characters",
            lexicalPage(lexicalText("Draft")
                + "editor.registerUpdateListener(({ editorState }) => {"
                  "  const text = editorState.read(() => lexical.$getRoot().getTextContent());"
                  "  if (text.length > 30) editor.update(() => lexical.$getRoot().clear().append("
                  "    lexical.$createParagraphNode().append(lexical.$createTextNode(text.slice(0, 30)))));"
                  "});"),
            "editorText()", "Draft", false },
        { "Quill whose page adds its signature to what it is given",
            quillPage("var signature='\\n-- Sent from Forum Mobile';quill.setText('Draft'+signature);"
                      "quill.on('text-change',function(){var text=quill.getText().slice(0,-1);"
                      "if(!text.endsWith(signature))quill.insertText(text.length,signature,'api');});"),
            "quill.getText()", "Draft\n-- Sent from Forum Mobile", true },
        { "a text area whose page adds its signature to what it is given", signedTextAreaPage({}),
            "document.getElementById('message').value", "My draft\n-- Sent from Forum Mobile", true },
        { "a hidden text area with no editor whose page adds its signature",
            signedTextAreaPage("style=\"display:none\""), "document.getElementById('message').value",
            "My draft\n-- Sent from Forum Mobile", true },
        { "no form and no editable box",
            "<html><body><p>Just reading.</p><script>window.editorReady=true;</script></body></html>",
            "document.body.innerText", "Just reading.", false },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EditorApp app;
        ASSERT_TRUE(app.open("/editor", row.page));
        bool written = true;
        ASSERT_TRUE(app.autoInsert(kMessage, QStringLiteral("ubb"), &written));
        EXPECT_FALSE(written);
        ASSERT_EQ(app.t.dialogs.boxes.size(), 1);
        EXPECT_EQ(app.t.dialogs.boxes[0].title, "Auto-Insert Error");
        EXPECT_EQ(app.controller().watchCountdown(), row.formFound ? 4 : 0) << "a posting form was found";
        EXPECT_EQ(app.eval(row.data).toString().trimmed(), row.before) << "nothing was left in the editor";
    }
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
