// Runs one registered suite (first argument) or, without arguments, all of them.
#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/app/TestSuites.h"

std::map<std::string, SuiteFactory>& TestSuites() {
    static std::map<std::string, SuiteFactory> suites;
    return suites;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc >= 2 && argv[1][0] != '-') {
        const auto suite = TestSuites().find(argv[1]);
        if (suite == TestSuites().end()) {
            std::fprintf(stderr, "no suite %s\n", argv[1]);
            return 2;
        }
        std::vector<char*> args{argv[0]};
        args.insert(args.end(), argv + 2, argv + argc);
        return QTest::qExec(suite->second().get(), int(args.size()), args.data());
    }
    int failures = 0;
    for (const auto& [name, factory] : TestSuites()) failures += QTest::qExec(factory().get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
