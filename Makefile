# The two commands a newcomer needs: `make test` and `make demo`. Both install what is
# missing on a fresh Debian machine, configure and build first.
WIN   := build/win64
NAT   := build/native
PREFIX := $(CURDIR)/$(WIN)/wineprefix

.PHONY: all deps build build-win64 build-native test test-win64 test-native demo dist bench clean

all: build

deps:
	@scripts/install-deps

$(WIN)/build.ninja: | deps
	cmake --preset win64 >/dev/null
$(NAT)/build.ninja: | deps
	cmake --preset native >/dev/null

build-win64: $(WIN)/build.ninja
	cmake --build --preset win64
build-native: $(NAT)/build.ninja
	cmake --build --preset native
build: build-win64 build-native

test-native: build-native
	ctest --preset native
test-win64: build-win64
	ctest --preset win64
test: test-native test-win64

# The catalogue, then a sample report mailed with uxdsend through the test mail system; the
# script starts the Wine session with it registered (wine-session start PREFIX BIN) and stops it.
demo: $(WIN)/build.ninja
	cmake --build --preset win64 --target demo_programs
	@scripts/demo $(WIN)/bin $(PREFIX)

# The benchmarks: the options code natively (optimised, preset bench), the plug-in and the
# recipient lists under Wine; each row a ratio measured side by side. `make test` runs every
# row once and asserts no timing.
BEN := build/bench
REL := build/release
$(BEN)/build.ninja: | deps
	cmake --preset bench >/dev/null
bench: $(BEN)/build.ninja $(WIN)/build.ninja $(REL)/build.ninja
	cmake --build --preset bench --target options_bench
	cmake --build --preset win64 --target mail_bench names_bench
	cmake --build --preset release --target uxdmapi rmlocale uxdsend
	@scripts/bench $(BEN)/bin $(WIN)/bin $(PREFIX) $(REL)/bin

# The release package: build/release (optimised, stripped, debug information in NAME.debug
# beside each binary), packed by CPack into dist/ with a SHA-256 file for each zip.
$(REL)/build.ninja: | deps
	cmake --preset release >/dev/null
dist: $(REL)/build.ninja
	cmake --build --preset release
	cd $(REL) && cpack --config CPackConfig.cmake

# Fuzzes every reader of host bytes, FUZZ_SECONDS each (native build, clang): new inputs go
# to a work corpus per target under build/, findings to build/native/fuzz/NAME-*; the
# committed seeds stay as they are. Stops at the first target with a finding.
FUZZ_SECONDS ?= 600
FUZZ_TARGETS := options recipient_text allocation_failure
FUZZ_DIR := $(NAT)/fuzz
.PHONY: fuzz
fuzz: build-native
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/work/$$t && echo "== $$t, $(FUZZ_SECONDS) s" && \
	  $(NAT)/bin/$${t}_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/$$t- $(FUZZ_DIR)/work/$$t tests/fuzz/corpus/$$t || exit 1; \
	done

# What of src/ the tests run: both coverage builds (presets coverage and coverage-native, -O0
# with gcov) built and tested, gcovr over both merged; the HTML report lands in
# build/coverage/index.html and a summary per folder of src/ is printed. A failing test still
# gives the report, but make coverage then fails. Not part of make test.
.PHONY: coverage
coverage: | deps
	@scripts/coverage

# Fault injection, not part of `make test`: each fault of tests/mutants/faults.txt in turn, in a
# scratch copy under build/mutants, built and tested there; the table in build/mutants/results.md.
# ONLY=id,id or LAYER=options,mail for a subset.
.PHONY: mutants
mutants: | deps
	@scripts/mutants $(if $(ONLY),--only $(ONLY)) $(if $(LAYER),--layer $(LAYER))

clean:
	rm -rf build dist
