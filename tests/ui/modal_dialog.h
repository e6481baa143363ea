#pragma once
// Window tests answer a modal dialog from a timer started before the command that opens it.

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

// The modal dialog of that class once it is up; null (and a failure) when none came.
template <typename TDialog> TDialog* WaitForModal()
{
    TDialog* dialog = nullptr;
    EXPECT_TRUE(QTest::qWaitFor(
        [&dialog] { return (dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget())); }, 5000));
    return dialog;
}
