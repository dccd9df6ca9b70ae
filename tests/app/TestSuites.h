#pragma once
// The QTest suites of this executable, each registered under its class name, so that ctest
// can run them one by one: app_tests <Suite> [QTest options].
#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;

std::map<std::string, SuiteFactory>& TestSuites();

struct SuiteRegistration {
    SuiteRegistration(const char* name, SuiteFactory factory) { TestSuites().emplace(name, std::move(factory)); }
};

#define KAVRO_TEST_SUITE(Suite) \
    static const SuiteRegistration Suite##Registration(#Suite, [] { return std::make_unique<Suite>(); })
