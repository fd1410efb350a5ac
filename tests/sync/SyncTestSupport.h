#pragma once

#include "StoreHarness.h"
#include "sync/SyncService.h"

#include <QCoreApplication>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <unordered_set>

namespace tessary::fakes {

// One computer: its own data folder and store, its service pointed at a synced folder.
struct Computer {
    StoreHarness h;
    std::unique_ptr<sync::SyncService> service;

    Computer(const QString &folder, const QString &name)
    {
        h.openWith(25);
        service = std::make_unique<sync::SyncService>(*h.store);
        service->setDeviceName(name);
        service->setFolder(folder);
    }
    AppStore &store() { return *h.store; }
    // Records and reviews `rounds` rounds of a minute each; returns their ids.
    QList<Uuid> record(int rounds)
    {
        std::unordered_set<Uuid> before;
        for (const auto &s : h.store->sessions())
            before.insert(s.id);
        for (int i = 0; i < rounds; ++i) {
            store().startSession();
            h.advance(60);
            store().finishSession(false);
            store().saveCompletion(4, 3, QStringLiteral("第 %1 轮").arg(i + 1));
        }
        QList<Uuid> added;
        for (const auto &s : h.store->sessions())
            if (!before.count(s.id))
                added.append(s.id);
        return added;
    }
    // What a sync tool and a while later give: pending writes out, every file read.
    void sync()
    {
        QCoreApplication::processEvents();
        service->syncNow();
    }
    QList<Uuid> ids() const
    {
        QList<Uuid> out;
        for (const auto &s : h.store->sessions())
            out.append(s.id);
        std::sort(out.begin(), out.end());
        return out;
    }
};

inline void syncAll(std::initializer_list<Computer *> computers)
{
    for (int pass = 0; pass < 2; ++pass)
        for (Computer *c : computers)
            c->sync();
}

} // namespace tessary::fakes
