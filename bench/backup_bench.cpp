// Save and restore of the generated register against gzip -9 and gzip -d on
// the same table files, in the same run, the runs of both interleaved so that
// the load of the machine falls on both alike. Every run is a process of its
// own: its wall time and its peak resident memory are measured.
//
//   build-bench/bench/bench_backup_bench [--lines=100000] [--runs=3]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include <QString>

#include "backup/archive.h"
#include "backup/archive_writer.h"
#include "platform/data_dir_lock.h"
#include "register_data.h"

namespace fs = std::filesystem;

namespace {

struct Sample {
    double seconds = 0;  // wall time
    double cpu = 0;      // user and system time of the process and the ones it waited for
    double peakMiB = 0;
};

// Runs `work` in a child process; false when it failed.
Sample inChild(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            work();
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("a benchmark run failed");
    const auto toSeconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {seconds, toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime), double(usage.ru_maxrss) / 1024.0};
}

Sample shell(const std::string& command) {
    return inChild([&] {
        if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    });
}

std::vector<std::string> tableFiles(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

uintmax_t sizeOfFolder(const std::string& dir) {
    uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(dir)) total += entry.file_size();
    return total;
}

double median(std::vector<Sample> samples, double Sample::*field) {
    std::sort(samples.begin(), samples.end(), [field](const Sample& a, const Sample& b) { return a.*field < b.*field; });
    return samples[samples.size() / 2].*field;
}

size_t option(int argc, char** argv, const char* name, size_t fallback) {
    const std::string prefix = std::string("--") + name + "=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) return std::stoul(argv[i] + prefix.size());
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t lines = option(argc, argv, "lines", 100000);
    const size_t runs = std::max<size_t>(1, option(argc, argv, "runs", 3));
    std::string root = (fs::temp_directory_path() / "terralog-backup-bench-XXXXXX").string();
    if (!::mkdtemp(&root[0])) {
        std::cerr << "cannot create a temporary folder\n";
        return 1;
    }
    const std::string data = root + "/Data", gz = root + "/gz", gunzip = root + "/gunzip";
    const std::string archive = root + "/copie.tlg", restored = root + "/restored/Data";
    fs::create_directories(data);
    fs::create_directories(gz);
    fs::create_directories(gunzip);
    fs::create_directories(root + "/restored");

    try {
        std::cerr << "Writing " << lines << " annex lines..." << std::endl;
        inChild([&] { bench::writeTables(bench::makeRegister(lines), data); });
        const std::vector<std::string> files = tableFiles(data);

        std::string gzipAll, gunzipAll;
        for (const std::string& f : files) {
            gzipAll += "gzip -9 -c '" + data + "/" + f + "' > '" + gz + "/" + f + ".gz' && ";
            gunzipAll += "gzip -d -c '" + gz + "/" + f + ".gz' > '" + gunzip + "/" + f + "' && ";
        }
        gzipAll += "true";
        gunzipAll += "true";

        std::vector<Sample> save, gzip9, restore, gzipD;
        for (size_t r = 0; r < runs; ++r) {
            std::cerr << "Run " << r + 1 << " of " << runs << "..." << std::endl;
            fs::remove(archive);
            save.push_back(inChild([&] {
                const QString dir = QString::fromStdString(data);
                backup::Archive(QString::fromStdString(archive)).write(backup::listDataFiles(dir));
            }));
            gzip9.push_back(shell(gzipAll));
            fs::remove_all(restored);
            restore.push_back(inChild([&] {
                platform::DataDirLock lock;
                if (!lock.lock(QString::fromStdString(restored))) throw std::runtime_error("data directory held");
                backup::Archive(QString::fromStdString(archive)).restore(lock);
            }));
            gzipD.push_back(shell(gunzipAll));
        }

        const double tableBytes = double(sizeOfFolder(data));
        const double archiveBytes = double(fs::file_size(archive));
        const double gzBytes = double(sizeOfFolder(gz));
        const double mb = 1e6;
        std::printf("register: %zu annex lines, %zu table files, %.1f MB; median of %zu runs (wall time)\n", lines,
                    files.size(), tableBytes / mb, runs);
        std::printf("| step | Terralog | gzip | ratio |\n|---|---|---|---|\n");
        std::printf("| save (gzip -9) | %.2f s | %.2f s | %.2f |\n", median(save, &Sample::seconds),
                    median(gzip9, &Sample::seconds), median(save, &Sample::seconds) / median(gzip9, &Sample::seconds));
        std::printf("| restore (gzip -d) | %.2f s | %.2f s | %.2f |\n", median(restore, &Sample::seconds),
                    median(gzipD, &Sample::seconds),
                    median(restore, &Sample::seconds) / median(gzipD, &Sample::seconds));
        std::printf("| save, CPU time | %.2f s | %.2f s | %.2f |\n", median(save, &Sample::cpu), median(gzip9, &Sample::cpu),
                    median(save, &Sample::cpu) / median(gzip9, &Sample::cpu));
        std::printf("| restore, CPU time | %.2f s | %.2f s | %.2f |\n", median(restore, &Sample::cpu),
                    median(gzipD, &Sample::cpu), median(restore, &Sample::cpu) / median(gzipD, &Sample::cpu));
        std::printf("| compressed size | %.2f MB | %.2f MB | %.3f |\n", archiveBytes / mb, gzBytes / mb,
                    archiveBytes / gzBytes);
        std::printf("| peak memory, save | %.0f MiB | | |\n| peak memory, restore | %.0f MiB | | |\n",
                    median(save, &Sample::peakMiB), median(restore, &Sample::peakMiB));
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        fs::remove_all(root);
        return 1;
    }
    fs::remove_all(root);
    return 0;
}
