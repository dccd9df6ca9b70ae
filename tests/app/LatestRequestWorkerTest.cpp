// The dialog's background worker: only the latest request is answered, requests made while a
// job runs are taken as one, a request about another source aborts the read in progress, and
// the worker goes at once even while a job waits on a file that never answers.
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/LatestRequestWorker.h"
#include "tests/app/TestSuites.h"

namespace {

constexpr int kAnswerMs = 10000;

// Jobs that wait until let go or aborted, and say which job they answer and whether aborted.
struct Jobs {
    std::atomic<bool> letGo = false;
    std::mutex lock;
    std::vector<int> started;  // guarded by lock

    std::vector<int> Started() {
        const std::scoped_lock guard(lock);
        return started;
    }
    int Make(int job, const AbortEvent& abort) {
        {
            const std::scoped_lock guard(lock);
            started.push_back(job);
        }
        while (!letGo && !abort.IsSignalled()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return abort.IsSignalled() ? -job : job;
    }
};

}  // namespace

class LatestRequestWorkerTest : public QObject {
    Q_OBJECT
private slots:
    void OnlyTheLatestRequestIsAnswered();
};

void LatestRequestWorkerTest::OnlyTheLatestRequestIsAnswered() {
    Jobs jobs;
    std::vector<int> taken;
    auto worker = std::make_unique<LatestRequestWorker<int, int>>(
        [&](const int& job, const AbortEvent& abort) { return jobs.Make(job, abort); },
        [&](const int& answer) { taken.push_back(answer); });

    // Asked again while job 1 runs, twice about the same movie: 1 reads on, 2 is never made,
    // and 3 alone is answered.
    worker->Ask(1, "a.avi");
    QTRY_COMPARE_WITH_TIMEOUT(jobs.Started(), std::vector<int>{1}, kAnswerMs);
    worker->Ask(2, "a.avi");
    worker->Ask(3, "a.avi");
    jobs.letGo = true;
    QTRY_COMPARE_WITH_TIMEOUT(taken, std::vector<int>{3}, kAnswerMs);
    QCOMPARE(jobs.Started(), (std::vector<int>{1, 3}));

    // Answers forgotten are dropped; a later request is answered again.
    worker->Ask(4, "a.avi");
    worker->Forget();
    QTRY_COMPARE_WITH_TIMEOUT(jobs.Started().size(), size_t(3), kAnswerMs);
    QTest::qWait(100);
    QCOMPARE(taken, std::vector<int>{3});
    worker->Ask(5, "a.avi");
    QTRY_COMPARE_WITH_TIMEOUT(taken, (std::vector<int>{3, 5}), kAnswerMs);

    // Another movie aborts the read in progress, whose answer is dropped all the same.
    jobs.letGo = false;
    worker->Ask(6, "a.avi");
    QTRY_COMPARE_WITH_TIMEOUT(jobs.Started().size(), size_t(5), kAnswerMs);
    worker->Ask(7, "b.avi");
    QTRY_COMPARE_WITH_TIMEOUT(jobs.Started().size(), size_t(6), kAnswerMs);
    QCOMPARE(jobs.Started().back(), 7);

    // Going while job 7 waits for ever: its read is aborted, the thread ends, and nothing more
    // is taken, even from answers already posted.
    worker.reset();
    QTest::qWait(100);
    QCOMPARE(taken, (std::vector<int>{3, 5}));
}

KAVRO_TEST_SUITE(LatestRequestWorkerTest);
#include "LatestRequestWorkerTest.moc"
