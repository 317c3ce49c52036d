// A data module over a fresh data folder with the to-do windows, helpers to put tasks into
// TBTodo, and the input helpers the window tests share (clicks on tool buttons and cells, the
// next modal window, the sort menu).
#pragma once

#include "DBGrid.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "QtPrinters.h"
#include "UQuickTodo.h"
#include "UToDoTask.h"
#include "UTodo.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace kv::test {

/// Runs `answer` on the next modal window that opens (within two seconds).
inline void onNextModal(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    auto *elapsed = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        *elapsed += 20;
        if (modal || *elapsed > 2000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            if (modal)
                answer(modal);
        }
    });
    timer->start(20);
}

/// Runs `answer` on the next popup menu that opens (within two seconds).
inline void onNextPopup(std::function<void(QMenu *)> answer)
{
    auto *timer = new QTimer;
    auto *elapsed = new int(0);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, answer] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        *elapsed += 20;
        if (menu || *elapsed > 2000) {
            timer->stop();
            timer->deleteLater();
            delete elapsed;
            if (menu)
                answer(menu);
        }
    });
    timer->start(20);
}

struct TaskValues
{
    QString task;
    QString major, minor;
    QDate due;
    bool done = false;
    QDateTime in;    ///< in-stamps; none when invalid
    QDateTime done_; ///< done-stamps; none when invalid
};

class TodoFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        dm = std::make_unique<TDMKV>([this] { return m_folder; });
        FormatSettings &fs = FormatSettings::instance();
        m_savedDate = fs.shortDateFormat;
        m_savedTime = fs.longTimeFormat;
        fs.shortDateFormat = QStringLiteral("M/d/yyyy");
        fs.longTimeFormat = QStringLiteral("h:nn AMPM");
    }
    void TearDown() override
    {
        win.reset();
        quick.reset();
        task.reset();
        FormatSettings::instance().shortDateFormat = m_savedDate;
        FormatSettings::instance().longTimeFormat = m_savedTime;
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void addTask(const TaskValues &v)
    {
        StoreTable &t = *dm->TBTodo;
        t.insert();
        if (!v.task.isEmpty())
            dm->TBTodoTask->setAsString(v.task);
        if (!v.major.isEmpty())
            dm->TBTodoPriMajor->setAsString(v.major);
        if (!v.minor.isEmpty())
            dm->TBTodoPriMinor->setAsString(v.minor);
        if (v.due.isValid())
            dm->TBTodoDueDate->setAsDateTime(dt::fromDate(v.due));
        if (v.done)
            dm->TBTodoDone->setAsBoolean(true);
        if (v.in.isValid()) {
            dm->TBTodoDateIn->setAsDateTime(dt::fromDate(v.in.date()));
            dm->TBTodoTimeIn->setAsDateTime(dt::fromTime(v.in.time()));
        }
        if (v.done_.isValid()) {
            dm->TBTodoDateDone->setAsDateTime(dt::fromDate(v.done_.date()));
            dm->TBTodoTimeDone->setAsDateTime(dt::fromTime(v.done_.time()));
        }
        t.post();
    }

    /// The tasks of the current view in order, by their text.
    QStringList tasks()
    {
        QStringList names;
        StoreTable &t = *dm->TBTodo;
        t.readView(1, nullptr, 100000, [&](const StoreTable::ViewKey &) {
            names << dm->TBTodoTask->asString();
            return true;
        });
        return names;
    }

    void open()
    {
        if (!win) {
            task = std::make_unique<TfToDoTask>(dm->TBTodo);
            win = std::make_unique<TfTodo>(*dm, task.get());
        }
        win->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
        win->activateWindow();
        settle();
    }
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void click(QToolButton *b)
    {
        ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        QTest::mouseClick(b, Qt::LeftButton);
        settle();
    }
    /// Picks a sort item from the drop-down menu of "Sort Options".
    void sortBy(const QString &item)
    {
        bool picked = false;
        onNextPopup([&](QMenu *menu) {
            QAction *action = menu->findChild<QAction *>(item);
            ASSERT_NE(action, nullptr) << item.toStdString();
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            picked = true;
        });
        click(win->tbbSort);
        QTRY_VERIFY_WITH_TIMEOUT(picked, 3000);
        settle();
    }
    QModelIndex cellIndex(int row, const QString &field) const
    {
        DBGridModel *m = win->grTodo->gridModel();
        return m->index(row, m->columnOf(field));
    }
    void clickCell(int row, const QString &field)
    {
        const QRect r = win->grTodo->visualRect(cellIndex(row, field));
        QTest::mouseClick(win->grTodo->viewport(), Qt::LeftButton, {}, r.center());
        settle();
    }
    /// A click on the check box of the Done cell (at the left of the cell, centred vertically).
    void clickDoneBox(int row)
    {
        const QRect r = win->grTodo->visualRect(cellIndex(row, QStringLiteral("Done")));
        QTest::mouseClick(win->grTodo->viewport(), Qt::LeftButton, {},
                          QPoint(r.left() + 9, r.center().y()));
        settle();
    }
    QString cell(int row, const QString &field) const
    {
        return cellIndex(row, field).data(Qt::DisplayRole).toString();
    }
    bool browseMode() const
    {
        return win->tbbAdd->isEnabled() && !win->tbbPost->isEnabled() &&
               !win->tbbCancel->isEnabled();
    }
    bool editMode() const
    {
        return !win->tbbAdd->isEnabled() && win->tbbPost->isEnabled() &&
               win->tbbCancel->isEnabled();
    }

    FakeServicesScope services;
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TDMKV> dm;
    std::unique_ptr<TfToDoTask> task;
    std::unique_ptr<TfTodo> win;
    std::unique_ptr<TfQuickTodo> quick;

private:
    QString m_savedDate, m_savedTime;
};

} // namespace kv::test
