#ifndef LOSTCONTENT_H
#define LOSTCONTENT_H

// What counts as damage on a page of a PDF: the one list that Text mode,
// Picture mode and the picture dialog decide by (through pagereading.h).
// A page is damaged when something it draws was lost, that is when:
//
//  1. MuPDF threw while running the page's content: what came after the
//     failure was not drawn.
//  2. MuPDF ignored the rest of a content stream (after too many syntax
//     errors or one it could not recover from): that part was skipped.
//     Content errors MuPDF steps over and draws on after (an unknown
//     operator, a stray token, a graphics state or colour space the
//     resources lack) leave what the page draws in place and do not count.
//  3. The page's own dictionary is missing (MuPDF then loads an empty
//     page); a content stream of the page, or of a form or tiling pattern
//     it draws, is missing, is no stream or runs into the end of the file
//     (the file was cut there); or the page's own content cannot be
//     decoded to its end. A form's or pattern's content is checked to be
//     all there and decoded only by MuPDF as it draws it: what goes wrong
//     there counts when MuPDF gives up on it (2).
//  4. An XObject (picture or form) or shading that the page's content
//     draws is not among the resources: MuPDF leaves it out.
//  5. A resource the content names (font, picture, form, pattern, shading,
//     graphics state, colour space), or anything it is made of (a font
//     program, widths, encoding or ToUnicode map, a picture's mask, a
//     colour profile, a function; all that a form or pattern lists), is
//     missing, cut off or cannot be decoded; or MuPDF cannot use an
//     embedded font program and draws with a stand-in. Pictures coded as
//     JPEG, JPEG 2000, JBIG2 or fax are checked to be all there but not
//     decoded: that would cost as much as drawing them.
//
// Never counted: what MuPDF says while it loads a page (its links and
// annotations), annotations' appearance, outlines, the structure tree,
// metadata, resources the content does not name, a font name the resources
// lack (MuPDF draws the text with its own font and the text is all there),
// "PDF stream Length incorrect" on a stream whose end was found, a
// reference to an object that a file needing no repair does not define (it
// stands for null, as the format has it), or anything else that leaves
// what the page draws unchanged.
//
// Both modes name the same pages even where one of them does not use the
// part that was lost: Text mode draws no glyph outlines, shadings,
// patterns or colour profiles, and Picture mode reads no ToUnicode map.
//
// The verdict is a function of the page and the file alone: the page's
// content and resources are asked directly, so it does not matter what was
// read before, in this context or another, nor whether MuPDF's store or
// object table was emptied meanwhile. What it learnt of the document's
// objects is kept to spare work, and forgotten when MuPDF repairs the file.

#include <QString>

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct fz_context;
struct fz_document;
struct fz_page;
struct pdf_document;
struct pdf_obj;

namespace conversion {

class contentUse;
class fitzListener;
enum class resourceKind;

// What running the page's content told (entries 1 and 2).
struct contentRun {
    bool threw = false;
    bool skipped = false;
    QString message;     // MuPDF's words for either
    bool quiet = false;  // MuPDF said nothing at all while it ran the content
};

// One per open document; use on the thread that owns the context.
class lostContent {
public:
    // The first entry of the list the page meets, in MuPDF's words where it
    // has any; empty when nothing the page draws was lost.
    QString find(fz_context* ctx, fz_document* doc, fz_page* page, const contentRun& run);
    // Forgets the document's objects; call before another document is read.
    void forget();

private:
    QString checkPage(pdf_obj* contents, pdf_obj* resources, bool quiet);
    QString drawnWithPage(const contentUse& names, pdf_obj* resources);
    QString listedLost(pdf_obj* resources, int depth);
    QString judgeUse(resourceKind kind, const std::string& name, pdf_obj* resources, bool absentCounts);
    QString judgeResource(pdf_obj* value, int depth);
    QString streamsThere(pdf_obj* contents);
    QString readContents(pdf_obj* contents, contentUse& names, bool complaints);
    QString checkForm(pdf_obj* form, int depth);
    QString checkTree(pdf_obj* root, int depth);
    QString walk(pdf_obj* root, int depth);
    QString checkStream(pdf_obj* ref);
    QString checkFontProgram(pdf_obj* font);
    QString missing(pdf_obj* ref);

    fz_context* m_ctx = nullptr;
    pdf_document* m_pdf = nullptr;
    fitzListener* m_listener = nullptr;
    bool m_repaired = false;
    // Verdicts by object number: resources walked whole, forms and tiling
    // patterns, streams other than content.
    std::unordered_map<int, QString> m_trees;
    std::unordered_map<int, QString> m_forms;
    std::unordered_map<int, QString> m_streams;
    std::unordered_set<int> m_formsEntered;  // against a form that draws itself
};

} // namespace conversion

#endif
