#pragma once

// The main of a bench program: Qt's application object of the kind the bench
// needs (windows drawn offscreen unless a platform is set), then every
// benchmark chosen on the command line.

#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

template <class Application> int runBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
