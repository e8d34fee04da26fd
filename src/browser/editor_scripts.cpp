#include "browser/editor_scripts.h"

#include "browser/page_scripts.h"

namespace {

// The functions that every write shares. t is the message as a text area takes
// it, h the same as editor markup, asHtml whether h is the user's own markup,
// id the write's number. What the page will post is compared with the message
// as text, white space aside, since each editor lays out lines its own way; it
// must be the message and nothing else, since the write replaces the content.
// An editor read as text must also keep the message's lines apart (blank
// lines aside): one that drops line breaks runs the lines together.
const char kLibrary[] = R"JS(
var K=Symbol.for('postmaven.messageWriter'),WAIT=1;
function flat(s){return String(s==null?'':s).replace(/\s+/g,'');}
function lineKey(s){return String(s==null?'':s).split('\n').map(flat).filter(Boolean).join('\n');}
function htmlText(s){return new DOMParser().parseFromString(String(s),'text/html').body.textContent;}
var plain=t.replace(/\r\n?/g,'\n').replace(/\n+$/,''),lines=plain.split('\n'),keys=[flat(t)];
if(asHtml)keys.push(flat(htmlText(h)));
function exact(v){return v!=null&&keys.indexOf(flat(v))>=0;}
function posted(v){return exact(v)||exact(htmlText(v));}
function inLines(v){return asHtml?exact(v):lineKey(v)===lineKey(plain);}
function same(a,b){return lineKey(a)===lineKey(b);}
function setValue(ta,v){ta.value=v;ta.dispatchEvent(new Event('input',{bubbles:true}));ta.dispatchEvent(new Event('change',{bubbles:true}));}
function areaWrite(ta){var was=ta.value;setValue(ta,t);if(exact(ta.value))return {ok:true};setValue(ta,was);return {ok:false};}
function shown(e){var r=e.getBoundingClientRect();
 return e.getClientRects().length>0&&r.width>=2&&r.height>=2&&e.ownerDocument.defaultView.getComputedStyle(e).visibility!='hidden';}
function writable(e){return e.isContentEditable||e.ownerDocument.designMode=='on';}
function frameBody(f){try{var d=f.contentDocument;if(d&&d.body&&(d.designMode=='on'||d.body.hasAttribute('contenteditable')))return d.body;}catch(x){}return null;}
function hosts(scope){var out=[],all=scope.querySelectorAll('[contenteditable],iframe');
 for(var k=0;k<all.length;k++){var e=all[k],b=e;
  if(e.tagName=='IFRAME'){b=frameBody(e);if(!b)continue;}
  else if(e.parentElement&&e.parentElement.closest('[contenteditable]'))continue;
  if(shown(e))out.push({host:b,box:e});}
 return out;}
function largest(list){var best=null,size=-1;
 for(var k=0;k<list.length;k++){if(!writable(list[k].host))continue;
  var r=list[k].box.getBoundingClientRect();if(r.width*r.height>size){size=r.width*r.height;best=list[k].host;}}
 return best;}
function focusedHost(){var a=document.activeElement;
 if(a&&a.tagName=='IFRAME'){var b=frameBody(a);return b&&writable(b)?b:null;}
 if(a&&a.isContentEditable){while(a.parentElement&&a.parentElement.isContentEditable)a=a.parentElement;return a;}
 return null;}
function area(el){return el&&el.tagName=='TEXTAREA'?el:null;}
function focusIn(host){var d=host.ownerDocument,r=d.createRange(),s=d.defaultView.getSelection();
 try{d.defaultView.focus();}catch(x){}
 host.focus();r.selectNodeContents(host);s.removeAllRanges();s.addRange(r);}
// Selects the whole content, once the page has the keyboard focus (a moment
// after the program gave it), then waits a step: an editor takes the
// selection from the page's selection events.
function* selectAll(host){focusIn(host);
 for(var n=0;n<10&&!host.ownerDocument.hasFocus();n++){yield WAIT;focusIn(host);}
 yield;}
function exec(host,name,value){try{return host.ownerDocument.execCommand(name,false,value);}catch(x){return false;}}
function paste(host,text,html){var dt=new DataTransfer();dt.setData('text/plain',text);if(html)dt.setData('text/html',html);
 host.dispatchEvent(new ClipboardEvent('paste',{clipboardData:dt,bubbles:true,cancelable:true}));}
function domWrite(host,html){host.innerHTML=html;host.dispatchEvent(new Event('input',{bubbles:true}));}
function start(gen){var s={id:id,check:function(){var r;
  try{r=gen.next();}catch(x){r={done:true,value:{ok:false}};}
  if(!r.done)return {pending:true,wait:r.value===WAIT};
  if(window[K]===s)delete window[K];
  return r.value;}};
 window[K]=s;return s.check();}
)JS";

// Editors that stand in for a text area and keep their content as markup:
// written through their own API, read back from their data and from the text
// area after their own copy into it.
const char kFormEditors[] = R"JS(
function ck4(e){var a={ta:area(e.element&&e.element.$),ready:true,
 ro:function(){return !!e.readOnly;},
 data:function(){return e.getData();},
 put:function(d){a.ready=false;e.setData(d,{callback:function(){a.ready=true;}});},
 sync:function(){e.updateElement();},
 host:function(){var x=e.editable&&e.editable();return x?x.$:null;}};return a;}
function tiny(e){return {ta:area(e.getElement&&e.getElement()),ready:true,
 ro:function(){return e.mode&&e.mode.get?e.mode.get()=='readonly':!!e.readonly;},
 data:function(){return e.getContent();},
 put:function(d){if(e.undoManager&&e.undoManager.transact)e.undoManager.transact(function(){e.setContent(d);});else e.setContent(d);},
 sync:function(){e.save();},
 host:function(){return e.getBody();}};}
function ck5(e){return {ta:area(e.sourceElement),ready:true,
 ro:function(){return !!e.isReadOnly;},
 data:function(){return e.getData();},
 put:function(d){e.setData(d);},
 sync:function(){if(e.updateSourceElement)e.updateSourceElement();},
 host:function(){return e.ui&&e.ui.getEditableElement?e.ui.getEditableElement():null;}};}
function apiFor(ta,host){var C=window.CKEDITOR,T=window.tinymce,k,e;
 if(C&&C.instances)for(k in C.instances){e=C.instances[k];if(!e)continue;
  var x=host&&e.editable&&e.editable();
  if((ta&&e.element&&e.element.$===ta)||(x&&x.$===host))return ck4(e);}
 if(T&&T.get){var list=T.get()||[];
  for(k=0;k<list.length;k++){e=list[k];if((ta&&e.getElement&&e.getElement()===ta)||(host&&e.getBody&&e.getBody()===host))return tiny(e);}}
 if(host&&host.ckeditorInstance)return ck5(host.ckeditorInstance);
 var eds=ta?document.querySelectorAll('.ck-editor__editable'):[];
 for(k=0;k<eds.length;k++){e=eds[k].ckeditorInstance;if(e&&e.sourceElement===ta)return ck5(e);}
 return null;}
// An editor whose API throws may still take markup typed into its editable
// element. Whatever did not come out as the message is put back.
function* throughApi(ed){var kept=ed.data(),host=null;
 function put(d){try{ed.put(d);}catch(x){if(!host)throw x;focusIn(host);exec(host,d?'insertHTML':'delete',d);}}
 try{ed.put(h);}catch(x){host=ed.host();if(!host||!writable(host))return {ok:false};
  focusIn(host);exec(host,'insertHTML',h);ed.ready=true;}
 while(!ed.ready)yield WAIT;
 ed.sync();
 if(posted(ed.data())&&(!ed.ta||posted(ed.ta.value)))return {ok:true};
 try{put(kept);while(!ed.ready)yield WAIT;ed.sync();}catch(x){}
 return {ok:false};}
)JS";

// Editors that keep a document of their own and render the page from it:
// they take what reaches them through their input events (a paste, typed
// text), and undo changes to the page they did not make. Where one shows its
// API on its element, it is read and written through that.
const char kModelEditors[] = R"JS(
function lexical(host){var e=host.__lexicalEditor;if(!e||!e.parseEditorState||!e.getEditorState)return null;
 function text(n){if(n.type=='linebreak')return '\n';if(typeof n.text=='string')return n.text;
  return (n.children||[]).map(text).join(n.type=='root'?'\n':'');}
 function para(kids){return {type:'paragraph',version:1,direction:null,format:'',indent:0,textFormat:0,textStyle:'',children:kids};}
 function put(json){e.setEditorState(e.parseEditorState(json));}
 return {host:host,
  ro:function(){return !writable(host)||(e.isEditable&&!e.isEditable());},
  text:function(){return text(e.getEditorState().toJSON().root);},
  keep:function(){return e.getEditorState().toJSON();},
  // A state without a block is refused: no content is one empty paragraph.
  put:function(k){put(k.root.children.length?k:{root:Object.assign({},k.root,{children:[para([])]})});},
  write:function(){var kids=[];lines.forEach(function(l,i){if(i)kids.push({type:'linebreak',version:1});
    if(l)kids.push({type:'text',version:1,text:l,detail:0,format:0,mode:'normal',style:''});});
   put({root:{type:'root',version:1,direction:null,format:'',indent:0,children:[para(kids)]}});}};}
function quill(host){var c=host.parentElement,Q=window.Quill,q=c&&(c.__quill||(Q&&Q.find&&Q.find(c)));
 if(!q||q.root!==host||!q.getText||!q.setContents)return null;
 return {host:host,
  ro:function(){return !writable(host)||(q.isEnabled&&!q.isEnabled());},
  text:function(){return q.getText();},
  keep:function(){return q.getContents();},
  put:function(k){q.setContents(k,'user');},
  write:function(){if(asHtml)q.clipboard.dangerouslyPasteHTML(h,'user');else q.setText(plain+'\n','user');}};}
function generic(host){return {host:host,
 ro:function(){return !writable(host);},
 text:function(){return host.innerText;},
 keep:function(){return {html:host.innerHTML,text:host.innerText};}};}
function modelFor(host){return lexical(host)||quill(host)||generic(host);}
// Each way waits a step after it writes, so that the editor has rendered its
// document before the next step or the read-back.
function* pasteMessage(ed){yield* selectAll(ed.host);paste(ed.host,plain,asHtml?h:'');}
function* typeMessage(ed){var host=ed.host;yield* selectAll(host);exec(host,'delete');yield;
 if(asHtml){exec(host,'insertHTML',h);return;}
 for(var k=0;k<lines.length;k++){if(k){exec(host,'insertParagraph');yield;}if(lines[k]){exec(host,'insertText',lines[k]);yield;}}}
function* apiWrite(ed){ed.write();}
function* pageWrite(ed){domWrite(ed.host,h);}
function* restore(ed,kept,was){var host=ed.host,ways=ed.put?[function*(){ed.put(kept);}]:[
  function*(){yield* selectAll(host);if(flat(was))paste(host,kept.text,kept.html);else exec(host,'delete');},
  function*(){domWrite(host,kept.html);}];
 for(var k=0;k<ways.length;k++){try{yield* ways[k]();}catch(x){}yield;if(same(ed.text(),was))return true;}
 return false;}
function* throughModel(ed,ta){var kept=ed.keep(),was=ed.text(),taWas=ta?ta.value:null,k;
 var ways=ed.write?[pasteMessage,apiWrite]:[pasteMessage,typeMessage,pageWrite];
 for(k=0;k<ways.length;k++){
  try{yield* ways[k](ed);}catch(x){}
  yield;
  if(inLines(ed.text()))break;
  if(!same(ed.text(),was)&&!(yield* restore(ed,kept,was)))return {ok:false};}
 if(k==ways.length)return {ok:false};
 if(!ta||posted(ta.value))return {ok:true};
 setValue(ta,t);if(exact(ta.value))return {ok:true};
 setValue(ta,taWas);yield* restore(ed,kept,was);return {ok:false};}
)JS";

QString wrap(const QString &body, const QString &text, const QString &html, bool insertAsHtml, int id)
{
    return QStringLiteral("(function(t,h,asHtml,id){try{") + QLatin1String(kLibrary) + QLatin1String(kFormEditors)
        + QLatin1String(kModelEditors) + body + QStringLiteral("}catch(x){return {ok:false};}})(")
        + PageScripts::quote(text) + QLatin1Char(',') + PageScripts::quote(html) + QLatin1Char(',')
        + QLatin1String(insertAsHtml ? "true" : "false") + QLatin1Char(',') + QString::number(id) + QLatin1Char(')');
}

} // namespace

namespace EditorScripts {

QString writeFormEditor(
    int formIndex, int fieldIndex, const QString &text, const QString &html, bool insertAsHtml, int id)
{
    // Another editor is looked for in the form, then beside the text area; an
    // editor that is there but not writable (read-only) fails the write, since
    // it would post its own content over the text area.
    const QString body
        = QStringLiteral("var form=document.forms[%1],ta=form&&form.querySelectorAll('input,textarea')[%2];"
                         "if(!ta)return {ok:false};"
                         "var ed=apiFor(ta,null);"
                         "if(ed)return ed.ro()?{ok:false}:start(throughApi(ed));"
                         "var list=hosts(form);if(!list.length&&ta.parentElement)list=hosts(ta.parentElement);"
                         "if(!list.length)return areaWrite(ta);"
                         "var host=largest(list);if(!host)return {ok:false};"
                         "var m=modelFor(host);return m.ro()?{ok:false}:start(throughModel(m,ta));")
              .arg(formIndex)
              .arg(fieldIndex);
    return wrap(body, text, html, insertAsHtml, id);
}

QString writeEditable(const QString &text, const QString &html, bool insertAsHtml, int id)
{
    const QString body = QStringLiteral("var host=focusedHost()||largest(hosts(document));"
                                        "if(!host)return {ok:false};"
                                        "var ed=apiFor(null,host);"
                                        "if(ed)return ed.ro()?{ok:false}:start(throughApi(ed));"
                                        "var m=modelFor(host);return m.ro()?{ok:false}:start(throughModel(m,null));");
    return wrap(body, text, html, insertAsHtml, id);
}

QString checkWrite(int id)
{
    return QStringLiteral("(function(id){try{var s=window[Symbol.for('postmaven.messageWriter')];"
                          "return s&&s.id===id?s.check():{ok:false};}catch(x){return {ok:false};}})(%1)")
        .arg(id);
}

} // namespace EditorScripts
