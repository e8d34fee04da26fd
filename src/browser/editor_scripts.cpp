#include "browser/editor_scripts.h"

#include "browser/page_scripts.h"

namespace {

// The functions that every write shares. t is the message as a text area takes
// it, h the same as editor markup, asHtml whether h is the user's own markup,
// id the write's number. What the page will post is judged by its text alone,
// white space left out, since each editor lays out paragraphs its own way.
const char kLibrary[] = R"JS(
var K=Symbol.for('postmaven.messageWriter');
function flat(s){return String(s==null?'':s).replace(/\s+/g,'');}
function htmlText(s){return new DOMParser().parseFromString(String(s),'text/html').body.textContent;}
var key=asHtml?flat(htmlText(t)):flat(t);
function holds(v){if(v==null)return false;v=String(v);return flat(v).indexOf(key)>=0||flat(htmlText(v)).indexOf(key)>=0;}
function setValue(ta,v){ta.value=v;ta.dispatchEvent(new Event('input',{bubbles:true}));ta.dispatchEvent(new Event('change',{bubbles:true}));}
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
function ck4(e){var a={ta:area(e.element&&e.element.$),ready:true,
 ro:function(){return !!e.readOnly;},
 write:function(){a.ready=false;e.setData(h,{callback:function(){a.ready=true;}});},
 sync:function(){e.updateElement();},
 data:function(){return e.getData();},
 host:function(){var x=e.editable&&e.editable();return x?x.$:null;}};return a;}
function tiny(e){return {ta:area(e.getElement&&e.getElement()),ready:true,
 ro:function(){return e.mode&&e.mode.get?e.mode.get()=='readonly':!!e.readonly;},
 write:function(){if(e.undoManager&&e.undoManager.transact)e.undoManager.transact(function(){e.setContent(h);});else e.setContent(h);},
 sync:function(){e.save();},
 data:function(){return e.getContent();},
 host:function(){return e.getBody();}};}
function ck5(e){return {ta:area(e.sourceElement),ready:true,
 ro:function(){return !!e.isReadOnly;},
 write:function(){e.setData(h);},
 sync:function(){if(e.updateSourceElement)e.updateSourceElement();},
 data:function(){return e.getData();},
 host:function(){return e.ui&&e.ui.getEditableElement?e.ui.getEditableElement():null;}};}
function generic(host,ta){return {ta:ta,ready:true,generic:true,
 ro:function(){return !writable(host);},
 write:function(){typeInto(host,asHtml);},
 sync:function(){},
 data:function(){return host.innerHTML;},
 host:function(){return host;}};}
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
function selectAll(host){var d=host.ownerDocument,r=d.createRange(),s=d.defaultView.getSelection();
 r.selectNodeContents(host);s.removeAllRanges();s.addRange(r);}
function typeInto(host,markup){var d=host.ownerDocument,plain=t.replace(/\r\n?/g,'\n').replace(/\n+$/,''),done=false;
 try{d.defaultView.focus();}catch(x){}
 host.focus();selectAll(host);
 try{done=markup?d.execCommand('insertHTML',false,h):d.execCommand('insertText',false,plain);}catch(x){}
 if(done&&holds(host.innerHTML))return;
 selectAll(host);var dt=new DataTransfer();dt.setData('text/plain',plain);dt.setData('text/html',h);
 host.dispatchEvent(new ClipboardEvent('paste',{clipboardData:dt,bubbles:true,cancelable:true}));}
function start(ed,ta){
 if(!ed){if(!ta)return {ok:false};setValue(ta,t);return {ok:holds(ta.value)};}
 if(ed.ro())return {ok:false};
 try{ed.write();}catch(x){
  var host=ed.host();if(!host||!writable(host))return {ok:false};
  typeInto(host,true);ed.ready=true;ed.generic=true;}
 var s={id:id,check:function(){
  if(!ed.ready)return {pending:true};
  if(window[K]===s)delete window[K];
  ed.sync();
  if(ed.generic&&ta&&!holds(ta.value))setValue(ta,t);
  return {ok:holds(ed.data())&&(!ta||holds(ta.value))};}};
 window[K]=s;return s.check();}
)JS";

QString wrap(const QString &body, const QString &text, const QString &html, bool insertAsHtml, int id)
{
    return QStringLiteral("(function(t,h,asHtml,id){try{") + QLatin1String(kLibrary) + body
        + QStringLiteral("}catch(x){return {ok:false};}})(") + PageScripts::quote(text) + QLatin1Char(',')
        + PageScripts::quote(html) + QLatin1Char(',') + QLatin1String(insertAsHtml ? "true" : "false")
        + QLatin1Char(',') + QString::number(id) + QLatin1Char(')');
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
                         "if(!ed){var list=hosts(form);if(!list.length&&ta.parentElement)list=hosts(ta.parentElement);"
                         "if(list.length){var host=largest(list);if(!host)return {ok:false};ed=generic(host,ta);}}"
                         "return start(ed,ta);")
              .arg(formIndex)
              .arg(fieldIndex);
    return wrap(body, text, html, insertAsHtml, id);
}

QString writeEditable(const QString &text, const QString &html, bool insertAsHtml, int id)
{
    const QString body = QStringLiteral("var host=focusedHost()||largest(hosts(document));"
                                        "if(!host)return {ok:false};"
                                        "var ed=apiFor(null,host)||generic(host,null);"
                                        "return start(ed,ed.ta);");
    return wrap(body, text, html, insertAsHtml, id);
}

QString checkWrite(int id)
{
    return QStringLiteral("(function(id){try{var s=window[Symbol.for('postmaven.messageWriter')];"
                          "return s&&s.id===id?s.check():{ok:false};}catch(x){return {ok:false};}})(%1)")
        .arg(id);
}

} // namespace EditorScripts
