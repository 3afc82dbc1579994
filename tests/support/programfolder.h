#pragma once

#include "common/appinfo.h"
#include "tests/support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A test whose program folder is a fresh temporary folder.
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        setProgramFolder(m_dir.path());
    }
    void TearDown() override { setProgramFolder({}); }

    [[nodiscard]] QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    [[nodiscard]] QByteArray read(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_dir;
};
