// The preview's operations as the task list and the page controls use them:
// opening (damaged files, passwords, the two-step open with its prompt),
// page counts, page moves at the ends, and every operation with nothing open.
#include "modalanswers.h"
#include "previewfixture.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>

namespace {

int openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size();
}

testpdf::DocSpec protectedDoc(int pages, const QString& password)
{
    testpdf::DocSpec spec = testpdf::simpleDoc(pages);
    spec.userPassword = password;
    spec.ownerPassword = QStringLiteral("owner-") + password;
    return spec;
}

QString openFailed(const QString& path)
{
    return QStringLiteral("Failed to open PDF file \"%1\".").arg(path);
}

const QString kPrompt = QStringLiteral("Please enter your password for the PDF file.");

using HostWindowOpen = PreviewTest;

TEST_F(HostWindowOpen, ShowsTheFirstPageAndCountsThePages)
{
    const QString path = pdf(QStringLiteral("three.pdf"), testpdf::simpleDoc(3));
    ModalAnswers none;
    ASSERT_TRUE(m_host->openPDF(path, QString()));
    EXPECT_EQ(none.answered() + none.unexpected(), 0);
    EXPECT_EQ(m_host->countPage(), 3);
    EXPECT_EQ(m_host->curPage(), 1);
    EXPECT_FALSE(imageSize().isEmpty());
    EXPECT_TRUE(m_frame->windowTitle().startsWith(QStringLiteral("three.pdf - 1/3 (")))
        << m_frame->windowTitle().toStdString();
}

TEST_F(HostWindowOpen, TheDocumentTitleNamesTheWindow)
{
    testpdf::DocSpec spec = testpdf::simpleDoc(2);
    spec.title = QStringLiteral("Grüße aus Köln");
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("titled.pdf"), spec), QString()));
    EXPECT_TRUE(m_frame->windowTitle().startsWith(QStringLiteral("Grüße aus Köln - 1/2 (")))
        << m_frame->windowTitle().toStdString();
}

TEST_F(HostWindowOpen, ADamagedCrossReferenceTableIsRepaired)
{
    const QString path = pdf(QStringLiteral("damaged.pdf"), testpdf::simpleDoc(3));
    QByteArray bytes = testfiles::readAll(path);
    const qsizetype at = bytes.lastIndexOf("startxref");
    ASSERT_GE(at, 0);
    // The offset of the table now points nowhere.
    qsizetype digit = at + 9;
    while (digit < bytes.size() && !QChar::fromLatin1(bytes.at(digit)).isDigit())
        ++digit;
    for (; digit < bytes.size() && QChar::fromLatin1(bytes.at(digit)).isDigit(); ++digit)
        bytes[digit] = '9';
    ASSERT_TRUE(testfiles::writeAll(path, bytes));

    ASSERT_TRUE(m_host->openPDF(path, QString()));
    EXPECT_EQ(m_host->countPage(), 3);
    EXPECT_FALSE(imageSize().isEmpty());
}

TEST_F(HostWindowOpen, AnEmptyPathFailsWithoutAMessage)
{
    ModalAnswers none;
    EXPECT_FALSE(m_host->openPDF(QString(), QString()));
    EXPECT_FALSE(m_host->openPDFInit(QString()));
    EXPECT_EQ(none.unexpected(), 0);
}

TEST_F(HostWindowOpen, AMissingFileIsReported)
{
    const QString path = m_dir.filePath(QStringLiteral("missing %2.pdf"));
    ModalAnswers answers({ pressButton(QStringLiteral("OK")), pressButton(QStringLiteral("OK")) });
    EXPECT_FALSE(m_host->openPDF(path, QString()));
    EXPECT_FALSE(m_host->openPDFInit(path));
    EXPECT_EQ(answers.texts(), QStringList({ openFailed(path), openFailed(path) }));
    EXPECT_EQ(m_host->countPage(), 0);
}

// Opening a named pipe waits for a writer, and the window with it: it is
// refused as a file that cannot be opened, without being opened.
TEST_F(HostWindowOpen, ANamedPipeIsRefusedUnopened)
{
    const QString path = m_dir.filePath(QStringLiteral("pipe.pdf"));
    testfiles::Fifo pipe(path);
    ASSERT_TRUE(pipe.isValid());
    ModalAnswers answers({ pressButton(QStringLiteral("OK")), pressButton(QStringLiteral("OK")) });
    EXPECT_FALSE(m_host->openPDF(path, QString()));
    EXPECT_FALSE(m_host->openPDFInit(path));
    EXPECT_EQ(answers.texts(), QStringList({ openFailed(path), openFailed(path) }));
    EXPECT_FALSE(pipe.wasOpened());
}

TEST_F(HostWindowOpen, AFileThatIsNoPdfShowsNoPages)
{
    const QString path = m_dir.filePath(QStringLiteral("text.pdf"));
    ASSERT_TRUE(testfiles::writeAll(path, QByteArray("just some text, no document at all\n")));
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    m_host->openPDF(path, QString());
    EXPECT_EQ(m_host->countPage(), 0);
    EXPECT_TRUE(imageSize().isEmpty());
    EXPECT_FALSE(m_host->nextPage());
}

TEST_F(HostWindowOpen, APathTooLongForTheBufferIsRefused)
{
    // Short enough in characters, too long in UTF-8 bytes.
    QString folder = m_dir.path();
    for (int i = 0; i < 6; ++i) {
        folder += QLatin1Char('/') + QString(90, QChar(0x00E9));
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    const QString path = folder + QStringLiteral("/long.pdf");
    ASSERT_TRUE(QFile::copy(pdf(QStringLiteral("short.pdf"), testpdf::simpleDoc(1)), path));
    ASSERT_LT(path.size(), 1024);
    ASSERT_GT(path.toUtf8().size(), 1023);

    const int before = openDescriptors();
    ModalAnswers answers({ pressButton(QStringLiteral("OK")) });
    EXPECT_FALSE(m_host->openPDF(path, QString()));
    EXPECT_EQ(answers.texts(), QStringList({ QStringLiteral("Failed to convert filename \"%1\".").arg(path) }));
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(HostWindowOpen, NoFileStaysOpenOnceTheDocumentIsClosed)
{
    const QString plain = pdf(QStringLiteral("plain.pdf"), testpdf::simpleDoc(2));
    const QString locked = pdf(QStringLiteral("locked.pdf"), protectedDoc(2, QStringLiteral("secret")));
    const int before = openDescriptors();

    ASSERT_TRUE(m_host->openPDF(plain, QString()));
    ASSERT_TRUE(m_host->openPDF(locked, QStringLiteral("secret")));
    EXPECT_EQ(openDescriptors(), before + 1);
    {
        ModalAnswers answers({ pressButton(QStringLiteral("OK")), pressButton(QStringLiteral("OK")) });
        EXPECT_FALSE(m_host->openPDF(locked, QStringLiteral("wrong")));
        EXPECT_FALSE(m_host->openPDF(locked, QString(200, QLatin1Char('x'))));
        EXPECT_EQ(answers.answered(), 2);
    }
    ASSERT_TRUE(m_host->openPDFInit(plain));
    m_host->clearPDF();
    EXPECT_EQ(openDescriptors(), before);
}

using HostWindowPassword = PreviewTest;

TEST_F(HostWindowPassword, TheRightPasswordOpensForDisplay)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), protectedDoc(2, QStringLiteral("Geheim")));
    ASSERT_TRUE(m_host->openPDF(path, QStringLiteral("Geheim")));
    EXPECT_EQ(m_host->countPage(), 2);
    EXPECT_FALSE(imageSize().isEmpty());
}

TEST_F(HostWindowPassword, AWrongOrMissingPasswordIsReported)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), protectedDoc(2, QStringLiteral("Geheim")));
    ModalAnswers answers({ pressButton(QStringLiteral("OK")), pressButton(QStringLiteral("OK")) });
    EXPECT_FALSE(m_host->openPDF(path, QStringLiteral("geheim")));
    EXPECT_FALSE(m_host->openPDF(path, QString()));
    EXPECT_EQ(answers.texts(), QStringList({ openFailed(path), openFailed(path) }));
    EXPECT_EQ(m_host->countPage(), 0);
    EXPECT_TRUE(imageSize().isEmpty());
}

TEST_F(HostWindowPassword, APlainDocumentNeedsNoPassword)
{
    ASSERT_TRUE(m_host->openPDFInit(pdf(QStringLiteral("plain.pdf"), testpdf::simpleDoc(4))));
    EXPECT_FALSE(m_host->needPWD());
    EXPECT_TRUE(m_host->openPDFFinish());
    EXPECT_EQ(m_host->countPage(), 4);
}

TEST_F(HostWindowPassword, TheThirdAttemptMayStillSucceed)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), protectedDoc(5, QStringLiteral("pässwort")));
    ASSERT_TRUE(m_host->openPDFInit(path));
    ASSERT_TRUE(m_host->needPWD());
    ModalAnswers answers({ typeAndPress(QStringLiteral("one"), QStringLiteral("OK")),
                           typeAndPress(QStringLiteral("two"), QStringLiteral("OK")),
                           typeAndPress(QStringLiteral("pässwort"), QStringLiteral("OK")) });
    EXPECT_EQ(m_host->checkPWD(QStringLiteral("ignored"), path), QStringLiteral("pässwort"));
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(answers.unexpected(), 0);
    EXPECT_EQ(answers.texts().value(0), kPrompt + QLatin1Char('\n') + path);
    EXPECT_EQ(answers.titles().value(0), VuPref::product_name());

    EXPECT_TRUE(m_host->openPDFFinish());
    EXPECT_EQ(m_host->countPage(), 5);
    EXPECT_TRUE(m_host->toPage(5));
    EXPECT_FALSE(imageSize().isEmpty());
}

TEST_F(HostWindowPassword, ThreeWrongAttemptsGiveUp)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), protectedDoc(1, QStringLiteral("right")));
    ASSERT_TRUE(m_host->openPDFInit(path));
    ModalAnswers answers({ typeAndPress(QStringLiteral("a"), QStringLiteral("OK")),
                           typeAndPress(QStringLiteral("b"), QStringLiteral("OK")),
                           typeAndPress(QStringLiteral("c"), QStringLiteral("OK")) });
    EXPECT_EQ(m_host->checkPWD(QString(), path), QString());
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(HostWindowPassword, EmptyEntriesCountAsAttempts)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), protectedDoc(1, QStringLiteral("right")));
    ASSERT_TRUE(m_host->openPDFInit(path));
    ModalAnswers answers({ typeAndPress(QString(), QStringLiteral("OK")), typeAndPress(QString(), QStringLiteral("OK")),
                           typeAndPress(QString(), QStringLiteral("OK")) });
    EXPECT_EQ(m_host->checkPWD(QString(), path), QString());
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(HostWindowPassword, CancelGivesUpAtOnceWhateverWasTyped)
{
    const QString path = pdf(QStringLiteral("locked.pdf"), protectedDoc(1, QStringLiteral("right")));
    ASSERT_TRUE(m_host->openPDFInit(path));
    ModalAnswers answers({ typeAndPress(QStringLiteral("right"), QStringLiteral("Cancel")) });
    EXPECT_EQ(m_host->checkPWD(QString(), path), QString());
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_EQ(answers.unexpected(), 0);
}

TEST_F(HostWindowPassword, TheTwoStepOpenReplacesTheShownDocument)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("shown.pdf"), testpdf::simpleDoc(7)), QString()));
    ASSERT_TRUE(m_host->toPage(6));
    ASSERT_TRUE(m_host->openPDFInit(pdf(QStringLiteral("added.pdf"), testpdf::simpleDoc(3))));
    EXPECT_EQ(m_host->countPage(), 0);
    EXPECT_TRUE(imageSize().isEmpty());
    EXPECT_FALSE(m_host->nextPage());
    EXPECT_TRUE(m_host->openPDFFinish());
    EXPECT_EQ(m_host->countPage(), 3);
    // The page number kept from before is brought within the new document.
    EXPECT_EQ(m_host->curPage(), 3);
}

using HostWindowPages = PreviewTest;

TEST_F(HostWindowPages, MovesStopAtTheEnds)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("five.pdf"), testpdf::simpleDoc(5)), QString()));
    EXPECT_TRUE(m_host->prePage());
    EXPECT_EQ(m_host->curPage(), 1);
    EXPECT_TRUE(m_host->nextPage());
    EXPECT_EQ(m_host->curPage(), 2);
    EXPECT_TRUE(m_host->lastPage());
    EXPECT_EQ(m_host->curPage(), 5);
    EXPECT_TRUE(m_host->nextPage());
    EXPECT_EQ(m_host->curPage(), 5);
    EXPECT_TRUE(m_frame->windowTitle().contains(QStringLiteral(" - 5/5 (")));
    EXPECT_TRUE(m_host->prePage());
    EXPECT_EQ(m_host->curPage(), 4);
    EXPECT_TRUE(m_host->firstPage());
    EXPECT_EQ(m_host->curPage(), 1);
}

TEST_F(HostWindowPages, ToPageKeepsWithinTheDocument)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("five.pdf"), testpdf::simpleDoc(5)), QString()));
    EXPECT_TRUE(m_host->toPage(3));
    EXPECT_EQ(m_host->curPage(), 3);
    EXPECT_TRUE(m_host->toPage(0));
    EXPECT_EQ(m_host->curPage(), 1);
    EXPECT_TRUE(m_host->toPage(-5));
    EXPECT_EQ(m_host->curPage(), 1);
    EXPECT_TRUE(m_host->toPage(99));
    EXPECT_EQ(m_host->curPage(), 5);
}

TEST_F(HostWindowPages, EachPageIsDrawnFromItsOwnContent)
{
    testpdf::DocSpec spec;
    testpdf::PageSpec first;
    first.rects << markAt(QRectF(0, 0, 72, 72));
    testpdf::PageSpec second;
    second.rects << markAt(QRectF(kLetterWidth - 72, kLetterHeight - 72, 72, 72));
    spec.pages << first << second;
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("two.pdf"), spec), QString()));
    ASSERT_TRUE(m_host->nextPage());
    const QImage shown = grabPreview();
    const QRect page = imageRect();
    EXPECT_TRUE(isLight(shown, page.left() + 5, page.top() + 5));
    EXPECT_TRUE(isDark(shown, page.right() - 5, page.bottom() - 5));
}

using HostWindowNothingOpen = PreviewTest;

TEST_F(HostWindowNothingOpen, EveryOperationDoesNothing)
{
    ModalAnswers none;
    EXPECT_EQ(m_host->countPage(), 0);
    EXPECT_EQ(m_host->curPage(), 0);
    EXPECT_FALSE(m_host->firstPage());
    EXPECT_FALSE(m_host->prePage());
    EXPECT_FALSE(m_host->nextPage());
    EXPECT_FALSE(m_host->lastPage());
    EXPECT_FALSE(m_host->toPage(2));
    EXPECT_FALSE(m_host->largePage());
    EXPECT_FALSE(m_host->smallPage());
    EXPECT_EQ(m_host->curPage(), 0);
    EXPECT_FALSE(m_host->needPWD());
    EXPECT_FALSE(m_host->openPDFFinish());
    m_host->clearPDF();
    EXPECT_FALSE(pdfapp_showpage(pdfapp_record(), true, true));
    EXPECT_FALSE(pdfapp_checkpassword(pdfapp_record(), ""));
    EXPECT_EQ(none.unexpected(), 0);
    EXPECT_TRUE(m_frame->windowTitle().isEmpty());
}

TEST_F(HostWindowNothingOpen, AClosedDocumentLeavesNothingToMoveTo)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("five.pdf"), testpdf::simpleDoc(5)), QString()));
    m_host->clearPDF();
    EXPECT_EQ(m_host->countPage(), 0);
    EXPECT_FALSE(m_host->nextPage());
    EXPECT_FALSE(m_host->lastPage());
    EXPECT_TRUE(imageSize().isEmpty());
}

TEST_F(HostWindowNothingOpen, ADestroyedPreviewClosesTheDocument)
{
    ASSERT_TRUE(m_host->openPDF(pdf(QStringLiteral("five.pdf"), testpdf::simpleDoc(5)), QString()));
    delete m_host;
    m_host = nullptr;
    EXPECT_EQ(pdfapp_record()->doc, nullptr);
    EXPECT_EQ(pdfapp_record()->ctx, nullptr);
    EXPECT_EQ(pdfapp_record()->pagecount, 0);
}

} // namespace
