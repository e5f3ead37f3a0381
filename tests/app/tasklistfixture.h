#ifndef TASKLISTFIXTURE_H
#define TASKLISTFIXTURE_H

// A task list as the main window sets it up: its columns and widths, the
// hidden first column and the preview it opens files through, inside one
// shown window, with a preference store and PDFs of the test's own.

#include "markingtranslator.h"
#include "app/taskrow.h"
#include "app/vutreewidget.h"
#include "convert/logwriter.h"
#include "pdfmaker.h"
#include "platform/vuframe0/vupref.h"
#include "preview/hostwindow.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeWidgetItem>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

class TaskListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        VuPref::setStoreFolder(m_dir.filePath(QStringLiteral("pref")));
        m_window = std::make_unique<QWidget>();
        m_window->resize(1000, 600);
        m_host = new HostWindow(m_window.get());
        m_host->setGeometry(700, 0, 300, 300);
        m_list = new VuTreeWidget(m_window.get());
        m_list->setGeometry(0, 0, 700, 400);
        m_list->setColumnCount(taskrow::kColumnCount);
        QStringList headers;
        for (int column = 0; column < taskrow::kColumnCount; ++column) {
            headers << taskrow::columnHeader(column);
            m_list->setColumnWidth(column, taskrow::columnWidth(column));
        }
        m_list->setHeaderLabels(headers);
        m_list->setColumnHidden(taskrow::ColumnBlank, true);
        m_list->setHostWindow(m_host);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        // Most tests add files without being asked for their mode.
        VuPref::setValue(QStringLiteral("last_show_hint"), false);
    }

    void TearDown() override
    {
        m_window.reset();
        VuPref::setStoreFolder(QString());
    }

    QString pdf(const QString& name, int pages, const QString& password = QString()) const
    {
        testpdf::DocSpec spec = testpdf::simpleDoc(pages);
        spec.userPassword = password;
        if (!password.isEmpty())
            spec.ownerPassword = QStringLiteral("owner");
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QString error;
        EXPECT_TRUE(testpdf::writePdf(path, spec, &error)) << error.toStdString();
        return path;
    }

    QTreeWidgetItem* row(int at) const { return m_list->topLevelItem(at); }
    int rowCount() const { return m_list->topLevelItemCount(); }

    // The rows' file names, top to bottom.
    QStringList names() const
    {
        QStringList found;
        for (int at = 0; at < rowCount(); ++at)
            found << row(at)->text(taskrow::ColumnFileName);
        return found;
    }

    // Rows with the given names, added without asking anything.
    void addRows(const QStringList& fileNames, int pages = 10)
    {
        QStringList paths;
        for (const QString& name : fileNames)
            paths << pdf(name, pages);
        m_list->addToTable(paths);
        ASSERT_EQ(rowCount(), fileNames.size());
    }

    // Moves the pointer over a cell, as the hover editors follow it.
    void hover(QTreeWidgetItem* item, int column) const
    {
        const QRect cell = m_list->visualItemRect(item);
        const int x = m_list->header()->sectionViewportPosition(column) + 5;
        moveTo(QPoint(x, cell.center().y()));
    }

    void moveTo(const QPoint& viewportPos) const
    {
        QWidget* viewport = m_list->viewport();
        QMouseEvent move(QEvent::MouseMove, viewportPos, viewport->mapToGlobal(viewportPos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }

    // How often the log holds text; the log is the module's, shared by all
    // tests of the program, so tests compare counts before and after.
    static int logCount(const QString& text)
    {
        return QString::fromUtf8(testfiles::readAll(logFilePath())).count(text);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QWidget> m_window;
    HostWindow* m_host = nullptr;
    VuTreeWidget* m_list = nullptr;
};

#endif
