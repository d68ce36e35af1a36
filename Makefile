# make run   installs what is missing, builds, and runs the launcher on the sample
# make test  installs what is missing, builds, and runs every test
# make build builds without running anything
# make check INF=path checks a start.inf (or the folder that holds it)
# make disc DISC=folder OUT=image.iso makes the disc image of a presentation folder
# make storyboard DISC=folder OUT=folder pictures every screen of a disc in every language
.PHONY: all build run test deps bench check clean disc storyboard

BUILD   := build
WIN     := $(BUILD)/win32
HOST    := $(BUILD)/host
CROSS   := i686-w64-mingw32-
CXX_W   := $(CROSS)g++
CC_W    := $(CROSS)gcc
WINDRES := $(CROSS)windres

# The launcher must load on Windows 95 and NT 4.0 and run on a 486 or Pentium:
# no C runtime, no exceptions or unwinding tables, nothing newer than the Pentium,
# the Windows 4.0 headers' structure sizes.
LAUNCHER_CXXFLAGS := -std=c++17 -march=i586 -mtune=generic -Os -Wall -Wextra -Werror \
	-fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables \
	-fno-stack-protector -fno-tree-loop-distribute-patterns -fno-ident \
	-DWINVER=0x0400 -D_WIN32_WINNT=0x0400 -DWIN32_LEAN_AND_MEAN -DSTRICT
LAUNCHER_LDFLAGS := -nostdlib -Wl,-e,_StartEntry -Wl,--subsystem,windows:4.0 \
	-Wl,--major-os-version,4 -Wl,--minor-os-version,0 -s
LAUNCHER_LIBS := -lkernel32 -luser32 -ladvapi32 -lversion

LAUNCHER_SOURCES := $(wildcard runtime/*.cpp runtime/*/*.cpp)
LAUNCHER_HEADERS := $(wildcard runtime/*.h runtime/*/*.h)
LAUNCHER_OBJECTS := $(patsubst runtime/%.cpp,$(WIN)/obj/%.o,$(LAUNCHER_SOURCES))

HELPER_CFLAGS := -std=c99 -O2 -Wall -Wextra -static
HELPERS := $(WIN)/helpers/robot.exe $(WIN)/helpers/fakeplayer.exe \
	$(WIN)/helpers/fakeinstaller.exe $(WIN)/helpers/signal.exe \
	$(WIN)/helpers/holdname.exe $(WIN)/helpers/pollwait.exe \
	$(WIN)/helpers/drivetype.exe $(WIN)/helpers/marker.exe $(WIN)/helpers/locales.exe

# DLLs with chosen file and product versions (and one without any), which the
# tests put in place of the system's vbscript.dll.
FIXTURES := $(WIN)/fixtures/v4.0.0.0.dll $(WIN)/fixtures/v5.6.0.0.dll \
	$(WIN)/fixtures/v3.1.0.0.dll $(WIN)/fixtures/v3.0.0.0-product5.dll \
	$(WIN)/fixtures/v32768.0.0.0.dll $(WIN)/fixtures/noversion.dll \
	$(WIN)/fixtures/nofixedinfo.dll

all: build

deps:
	@tools/install-deps

build: deps $(WIN)/Start.exe $(WIN)/startcheck.exe $(WIN)/sample/player.exe $(HELPERS) $(FIXTURES)

$(WIN)/obj/%.o: runtime/%.cpp $(LAUNCHER_HEADERS)
	@mkdir -p $(dir $@)
	$(CXX_W) $(LAUNCHER_CXXFLAGS) -c $< -o $@

$(WIN)/obj/start.res: runtime/splash/start.rc runtime/splash/splash.h runtime/splash/start.ico
	@mkdir -p $(dir $@)
	$(WINDRES) -DWINVER=0x0400 -I runtime/splash $< -O coff -o $@

$(WIN)/Start.exe: $(LAUNCHER_OBJECTS) $(WIN)/obj/start.res
	$(CXX_W) $(LAUNCHER_LDFLAGS) -o $@ $^ $(LAUNCHER_LIBS)

# The start.inf checker shares the launcher's own code for everything it reports.
CHECKER_SOURCES := $(wildcard startcheck/*.cpp) runtime/text.cpp runtime/settings/settings.cpp \
	runtime/settings/settings_rules.cpp runtime/launch/command_rules.cpp \
	runtime/prereq/prereq_rules.cpp runtime/prereq/probes.cpp

$(WIN)/startcheck.exe: $(CHECKER_SOURCES) $(LAUNCHER_HEADERS) $(wildcard startcheck/*.h)
	$(CXX_W) -std=c++17 -O2 -Wall -Wextra -Werror -static -I runtime -o $@ $(CHECKER_SOURCES) \
		-luser32 -ladvapi32 -lversion

check: build
	tools/startcheck $(INF)

# LABEL, SIGN (a PFX file; password in SIGN_PASSWORD) and TIMESTAMP (a URL)
# are passed on when set.
disc: build
	tools/makedisc "$(DISC)" "$(OUT)" $(if $(LABEL),--label "$(LABEL)") \
		$(if $(SIGN),--sign "$(SIGN)") $(if $(TIMESTAMP),--timestamp "$(TIMESTAMP)")

$(WIN)/sample/player.exe: sample/player/player.c
	@mkdir -p $(dir $@)
	$(CC_W) $(HELPER_CFLAGS) -mwindows -o $@ $< -luser32 -lgdi32

$(WIN)/helpers/robot.exe: winebed/helpers/robot.c winebed/helpers/helpers.h
	@mkdir -p $(dir $@)
	$(CC_W) $(HELPER_CFLAGS) -o $@ $< -luser32 -lgdi32 -ladvapi32

# Console helpers: the robot above, and the locale list below.
$(WIN)/helpers/locales.exe: winebed/helpers/locales.c
	@mkdir -p $(dir $@)
	$(CC_W) $(HELPER_CFLAGS) -o $@ $<

$(WIN)/helpers/%.exe: winebed/helpers/%.c winebed/helpers/helpers.h
	@mkdir -p $(dir $@)
	$(CC_W) $(HELPER_CFLAGS) -mwindows -o $@ $< -luser32 -ladvapi32

$(WIN)/fixtures/%.dll: winebed/helpers/verdll.c winebed/helpers/verdll.rc
	@mkdir -p $(dir $@)
	$(WINDRES) $(VERSION_DEFINES) winebed/helpers/verdll.rc -O coff -o $(@:.dll=.res)
	$(CC_W) -shared -o $@ winebed/helpers/verdll.c $(@:.dll=.res)

$(WIN)/fixtures/v4.0.0.0.dll: VERSION_DEFINES := -DFILEVER=4,0,0,0
$(WIN)/fixtures/v5.6.0.0.dll: VERSION_DEFINES := -DFILEVER=5,6,0,0
$(WIN)/fixtures/v3.1.0.0.dll: VERSION_DEFINES := -DFILEVER=3,1,0,0
$(WIN)/fixtures/v3.0.0.0-product5.dll: VERSION_DEFINES := -DFILEVER=3,0,0,0 -DPRODVER=5,0,0,0
$(WIN)/fixtures/v32768.0.0.0.dll: VERSION_DEFINES := -DFILEVER=0x8000,0,0,0
$(WIN)/fixtures/noversion.dll: VERSION_DEFINES := -DNOVERSION
$(WIN)/fixtures/nofixedinfo.dll: VERSION_DEFINES := -DNOFIXEDINFO

run: build
	python3 tools/run-sample

# make storyboard DISC=folder OUT=folder: pictures of every screen of a disc's
# start.inf in every language, with index.html (tools/storyboard).
storyboard: build
	tools/storyboard $(DISC) $(OUT)

test: build
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(HOST) -j2
	cd $(HOST) && ctest --output-on-failure

bench: build
	python3 bench/launch_bench.py
	python3 bench/startcheck_bench.py
	python3 bench/makedisc_bench.py
	python3 bench/storyboard_bench.py

clean:
	rm -rf $(BUILD)
