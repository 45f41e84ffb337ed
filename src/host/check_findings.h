// What `uxdsend check` found, one finding per check, and the exit status they add up to.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum class Verdict { Ok, Warning, Problem };

struct Finding {
    Verdict verdict;
    std::string topic, found;
    std::string remedy;  // what to do; for every warning and problem
    int code = 0;        // the plug-in's code that a silent send meets because of this; 0: none
};

class Findings {
public:
    void ok(const std::string &topic, const std::string &found) { list_.push_back({Verdict::Ok, topic, found, "", 0}); }
    void warning(const std::string &topic, const std::string &found, const std::string &remedy, int code = 0) {
        list_.push_back({Verdict::Warning, topic, found, remedy, code});
    }
    void problem(const std::string &topic, const std::string &found, const std::string &remedy, int code) {
        list_.push_back({Verdict::Problem, topic, found, remedy, code});
    }
    // A send stops at its first failure: the code of the first finding that has one.
    int status() const;
    void print(std::FILE *to) const;

private:
    std::vector<Finding> list_;
};
