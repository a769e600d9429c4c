// Where the single-instance lock lies, and that it keeps out only the same user's second copy.
#include "app/SingleInstance.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillory;
using namespace quillory::test;

namespace {

// Sets or unsets an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QString* value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name)) {
        if (value)
            qputenv(name, value->toLocal8Bit());
        else
            qunsetenv(name);
    }
    ~ScopedVariable() {
        if (m_had)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_saved;
};

} // namespace

TEST(SingleInstance, TheRuntimeFolderHoldsTheLockWhenItIsUsable) {
    TempEnvironment env;
    EXPECT_EQ(CSingleInstanceLock::LockFilePath(), env.Path("run") + "/ZORV_Quillory");
    CSingleInstanceLock first;
    ASSERT_TRUE(first.TryLock());
    EXPECT_TRUE(QFileInfo::exists(env.Path("run/ZORV_Quillory")));
    CSingleInstanceLock second;
    EXPECT_FALSE(second.TryLock());
}

TEST(SingleInstance, WithoutAUsableRuntimeFolderTheLockIsInTheUsersOwnCache) {
    TempEnvironment env;
    const QString cache = env.Path("cache");
    const ScopedVariable cacheHome("XDG_CACHE_HOME", &cache);

    const QString relative = QStringLiteral("run");
    const QString missing = env.Path("no-such-folder");
    const QString file = env.Path("plain-file");
    WriteFileBytes(file, "x");
    const QString empty;
    for (const QString* runtime :
         {static_cast<const QString*>(nullptr), &empty, &relative, &missing, &file}) {
        const ScopedVariable variable("XDG_RUNTIME_DIR", runtime);
        const QString folder = CSingleInstanceLock::LockFolder();
        EXPECT_TRUE(folder.startsWith(cache + "/Quillory/")) << folder.toStdString();
        EXPECT_FALSE(folder.startsWith(QDir::tempPath() + "/Quillory")) << folder.toStdString();
    }

    // A runtime folder that is somebody else's is not used either.
    const QString foreign = env.Path("foreign");
    QDir().mkpath(foreign);
    if (::geteuid() == 0)
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    else
        QFile::setPermissions(foreign, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(IsUsableRuntimeFolder(foreign));
    EXPECT_TRUE(IsUsableRuntimeFolder(env.Path("run")));

    const ScopedVariable noRuntime("XDG_RUNTIME_DIR", nullptr);
    CSingleInstanceLock first;
    ASSERT_TRUE(first.TryLock());
    const QFileInfo folder(CSingleInstanceLock::LockFolder());
    EXPECT_TRUE(QFileInfo::exists(CSingleInstanceLock::LockFilePath()));
    EXPECT_EQ(folder.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    // The same user's second copy is kept out ...
    CSingleInstanceLock second;
    EXPECT_FALSE(second.TryLock());
    // ... another user's (another home, so another cache) is not.
    const QString otherCache = env.Path("other-user/.cache");
    const ScopedVariable otherUser("XDG_CACHE_HOME", &otherCache);
    CSingleInstanceLock other;
    EXPECT_TRUE(other.TryLock());
}
