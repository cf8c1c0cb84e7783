#pragma once

#include <QString>
#include <QStringList>

namespace snagwell {

// Starts another program in its own window and does not wait for it.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // False when the program could not be started.
    [[nodiscard]] virtual bool start(const QString &program) = 0;
};

class ProcessLauncher final : public ProgramLauncher
{
public:
    [[nodiscard]] bool start(const QString &program) override;
};

// Test double: records every program it is asked to start. Like the real
// one it cannot start an empty path, and it can be told to fail them all.
class RecordingLauncher final : public ProgramLauncher
{
public:
    [[nodiscard]] bool start(const QString &program) override
    {
        m_started.append(program);
        return m_succeeds && !program.isEmpty();
    }
    void failStarts(bool fail = true) { m_succeeds = !fail; }
    const QStringList &started() const { return m_started; }

private:
    QStringList m_started;
    bool m_succeeds = true;
};

} // namespace snagwell
