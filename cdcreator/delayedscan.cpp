#include "cdcreator/delayedscan.h"

#include <QCoreApplication>
#include <chrono>

DelayedScanDrives::DelayedScanDrives(std::unique_ptr<IDriveAccess> inner, int delayMs)
    : m_inner(std::move(inner)), m_delayMs(delayMs)
{
}

void DelayedScanDrives::Release()
{
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_wake.notify_all();
}

void DelayedScanDrives::CancelScan()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_wake.notify_all();
    if (m_inner)
        m_inner->CancelScan();
}

bool DelayedScanDrives::Initialize(QString* error)
{
    return !m_inner || m_inner->Initialize(error);
}

std::vector<IDriveAccess::Drive> DelayedScanDrives::Scan()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(m_delayMs), [this] { return m_released || m_cancelled; });
    if (m_cancelled || !m_inner)
        return {};
    lock.unlock();
    return m_inner->Scan();
}

bool DelayedScanDrives::Select(int index, QString* error)
{
    if (m_inner)
        return m_inner->Select(index, error);
    if (index < 0)
        return true;
    if (error)
        *error = QCoreApplication::translate("LibburnDrives", "no drive");
    return false;
}

std::vector<int> DelayedScanDrives::WriteSpeeds()
{
    return m_inner ? m_inner->WriteSpeeds() : std::vector<int>{};
}

IDriveAccess::Disc DelayedScanDrives::ReadDisc()
{
    return m_inner ? m_inner->ReadDisc() : Disc{};
}

bool DelayedScanDrives::UnderrunProtection()
{
    return m_inner && m_inner->UnderrunProtection();
}

std::unique_ptr<WriteJob> DelayedScanDrives::CreateWriteJob(const WriteRequest& request, WriteProgress& progress)
{
    return m_inner ? m_inner->CreateWriteJob(request, progress) : nullptr;
}
