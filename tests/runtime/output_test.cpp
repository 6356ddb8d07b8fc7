// Outputs: what each kind of target becomes, and failures that are reported.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "runtime/output.h"
#include "tests/access_lists.h"

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct OutputTest : ::testing::Test {
  void SetUp() override {
    dir = fs::temp_directory_path() / ("outputs_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  bool put(const fs::path& path, const std::string& text) {
    rt::OutputFile out;
    return out.open(path.string()) && out.write(text.data(), text.size()) && out.commit();
  }
  // The folder holds exactly these names (no file left half-written beside them).
  std::set<std::string> names() const {
    std::set<std::string> n;
    for (const auto& e : fs::directory_iterator(dir)) n.insert(e.path().filename().string());
    return n;
  }
  fs::path dir;
};

TEST_F(OutputTest, RegularFilesAreReplacedWholeAndLinksWrittenThrough) {
  fs::path file = dir / "page.png", link = dir / "link.png", dangling = dir / "later.png";
  ASSERT_TRUE(put(file, "new file"));
  EXPECT_EQ(slurp(file), "new file");
  fs::permissions(file, fs::perms(0640));
  auto mode = fs::status(file).permissions();
  ASSERT_TRUE(put(file, "replaced"));
  EXPECT_EQ(slurp(file), "replaced");
  EXPECT_EQ(fs::status(file).permissions(), mode) << "the replaced file keeps its mode";
  // But for a set-user-ID or set-group-ID bit, which a new content must
  // not inherit.
  fs::permissions(file, fs::perms(06755));
  ASSERT_TRUE(put(file, "replaced again"));
  EXPECT_EQ(static_cast<unsigned>(fs::status(file).permissions()), 0755u);

  fs::create_symlink("page.png", link);
  ASSERT_TRUE(put(link, "through the link"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(slurp(file), "through the link");

  fs::create_symlink("made.png", dangling);
  ASSERT_TRUE(put(dangling, "made"));
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(slurp(dir / "made.png"), "made");

  // An output dropped before it was complete leaves the old file alone.
  {
    rt::OutputFile out;
    ASSERT_TRUE(out.open(file.string()));
    out.write("half", 4);
  }
  EXPECT_EQ(slurp(file), "through the link");
  EXPECT_EQ(names(), (std::set<std::string>{"page.png", "link.png", "later.png", "made.png"}));
}

// A replaced file keeps who else may read and write it, which its access
// list says beyond its mode, and the notes other programs keep on it.
TEST_F(OutputTest, AReplacedFileKeepsItsAccessListAndAttributes) {
  using namespace access_lists;
  fs::path file = dir / "page.png";
  ASSERT_TRUE(put(file, "before"));
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  int noted = ::setxattr(file.c_str(), "user.note", "kept", 4, 0);
  if (noted != 0 && errno == ENOTSUP) GTEST_SKIP() << "the file system keeps no extended attributes";
  ASSERT_EQ(noted, 0);
  std::string acl = accessList({{kOwner, 6}, {kUser, 6, 65534}, {kGroup, 0}, {kMask, 6}, {kOther, 0}});
  int listed = ::setxattr(file.c_str(), kAccess, acl.data(), acl.size(), 0);
  if (listed != 0 && errno == ENOTSUP) GTEST_SKIP() << "the file system keeps no access lists";
  ASSERT_EQ(listed, 0);
  ASSERT_EQ(attribute(file, kAccess), acl);
  // The mask stands in the mode's group bits.
  ASSERT_EQ(static_cast<unsigned>(fs::status(file).permissions()), 0660u);
  ASSERT_TRUE(put(file, "replaced"));
  EXPECT_EQ(slurp(file), "replaced");
  EXPECT_EQ(attribute(file, kAccess), acl);
  EXPECT_EQ(static_cast<unsigned>(fs::status(file).permissions()), 0660u);
  EXPECT_EQ(attribute(file, "user.note"), "kept");
  EXPECT_EQ(names(), std::set<std::string>{"page.png"});
}

// The attributes that vouch for the old contents, or grant them more, are
// not carried over to new contents; the security label is.
TEST_F(OutputTest, AttributesThatVouchForTheOldContentsAreLeftOut) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to set trusted and security attributes";
  fs::path file = dir / "page.png";
  ASSERT_TRUE(put(file, "before"));
  const std::string capabilities = std::string("\x01\x00\x00\x02", 4) + std::string(16, '\0');  // version 2
  const struct {
    const char* name;
    std::string value;
    bool kept;
  } attributes[] = {
      {"user.note", "kept", true},
      {"security.selinux", "system_u:object_r:user_home_t:s0", true},
      {"trusted.overlay.test", "y", false},
      {"trusted.overlay.origin", "z", false},
      {"trusted.note", "root's", false},
      {"security.ima", "\x03\x02\x04\x01", false},
      {"security.evm", "\x03\x01", false},
      {"security.capability", capabilities, false},
  };
  std::vector<const char*> set;
  for (const auto& a : attributes) {
    if (::setxattr(file.c_str(), a.name, a.value.data(), a.value.size(), 0) == 0) {
      set.push_back(a.name);
    } else {
      std::printf("[ skipped  ] %s: this machine does not let it be set (%s)\n", a.name, std::strerror(errno));
    }
  }
  if (set.empty()) GTEST_SKIP() << "no attribute could be set here";
  ASSERT_TRUE(put(file, "replaced"));
  EXPECT_EQ(slurp(file), "replaced");
  for (const auto& a : attributes) {
    if (std::find(set.begin(), set.end(), a.name) == set.end()) continue;
    EXPECT_EQ(access_lists::attribute(file, a.name), a.kept ? a.value : "") << a.name;
  }
}

// A replacement replaces the file as it is when the output is opened. One
// gone since the check, or with a link put in its place, leaves nothing to
// take after: the output is made as a new file is, and replaces whatever
// has the name once it is named, a link itself rather than where it leads.
TEST_F(OutputTest, AFileGoneSinceTheCheckIsWrittenAsANewOne) {
  enum Change { kGone, kGoneAndBack, kLinkInItsPlace };
  const struct {
    const char* name;
    Change change;
  } cases[] = {
      {"gone before the output is opened", kGone},
      {"gone before it is opened, back before it is named", kGoneAndBack},
      {"a link in its place before it is opened", kLinkInItsPlace},
  };
  mode_t mask = ::umask(022);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::path file = dir / "page.png", other = dir / "other.png";
    ASSERT_TRUE(put(file, "before"));
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    rt::OutputTarget t = rt::outputTarget(file.string());
    ASSERT_EQ(t.problem, "");
    ASSERT_EQ(t.plan, rt::Plan::kReplacing);
    fs::remove(file);
    if (c.change == kLinkInItsPlace) {
      ASSERT_TRUE(put(other, "theirs"));
      fs::create_symlink("other.png", file);
    }
    rt::OutputFile out;
    ASSERT_TRUE(out.open(t, "", rt::PendingHandle::reserve("")));
    if (c.change == kGoneAndBack) {
      ASSERT_TRUE(put(file, "back"));
      ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    }
    ASSERT_TRUE(out.write("after", 5));
    ASSERT_TRUE(out.commit()) << out.error();
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(slurp(file), "after");
    EXPECT_EQ(static_cast<unsigned>(fs::status(file).permissions()), 0644u) << "the mode of a new file";
    if (c.change == kLinkInItsPlace) {
      EXPECT_EQ(slurp(other), "theirs");
      EXPECT_EQ(names(), (std::set<std::string>{"page.png", "other.png"}));
    } else {
      EXPECT_EQ(names(), std::set<std::string>{"page.png"});
    }
  }
  ::umask(mask);
}

TEST_F(OutputTest, FifoIsWrittenInPlace) {
  fs::path fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto reader = std::async(std::launch::async, [&] { return slurp(fifo); });
  EXPECT_TRUE(put(fifo, "down the pipe"));
  EXPECT_EQ(reader.get(), "down the pipe");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(names(), std::set<std::string>{"pipe"});
}

TEST_F(OutputTest, FullDeviceFailsAndStaysADevice) {
  for (fs::path target : {fs::path("/dev/full"), dir / "full"}) {
    if (target != "/dev/full") fs::create_symlink("/dev/full", target);
    rt::OutputFile out;
    ASSERT_TRUE(out.open(target.string()));
    std::string big(1 << 17, 'x');  // more than is buffered
    EXPECT_FALSE(out.write(big.data(), big.size()));
    EXPECT_FALSE(out.commit());
    EXPECT_EQ(out.error(), "No space left on device");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }
  // A short write fails only when it reaches the device at the end.
  rt::OutputFile out;
  ASSERT_TRUE(out.open("/dev/full"));
  EXPECT_TRUE(out.write("x", 1));
  EXPECT_FALSE(out.commit());
}

// What the check did not hold is not written in place: a failure, not a
// crash.
TEST_F(OutputTest, AnInPlaceTargetWithNothingHeldFails) {
  rt::OutputTarget t;
  t.plan = rt::Plan::kInPlace;
  t.file = (dir / "s").string();
  rt::OutputFile out;
  EXPECT_FALSE(out.open(t, "--png", rt::PendingHandle::reserve("")));
  EXPECT_TRUE(out.failed());
}

// A folder the run cannot hold a descriptor of is refused, rather than
// taken as the current folder.
TEST_F(OutputTest, AFolderThatCannotBeHeldIsRefused) {
  rt::OutputTarget shots = rt::folderTarget(dir.string());
  ASSERT_EQ(shots.problem, "");
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // No number from 3 on is free for a descriptor of the folder's.
    rlimit few{3, 3};
    setrlimit(RLIMIT_NOFILE, &few);
    rt::OutputFolder folder;
    _exit(folder.open(shots) ? 1 : folder.error().empty() ? 2 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(OutputTest, ProblemsAreFoundBeforeTheRun) {
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "plain") << "x";
  fs::create_symlink("missing/x.png", dir / "to-missing");
  fs::create_symlink("loop", dir / "loop");
  auto problem = [](const fs::path& p) { return rt::outputTarget(p.string()).problem; };
  auto quoted = [](const fs::path& p) { return p.string(); };
  EXPECT_EQ(problem(dir / "new.png"), "");
  EXPECT_EQ(problem(dir / "plain"), "");
  EXPECT_EQ(problem("/dev/null"), "");
  EXPECT_EQ(problem(dir / "sub"), "it is a folder");
  EXPECT_EQ(problem(dir / "missing" / "x.png"),
            "the folder " + quoted(dir / "missing") + " does not exist");
  // A link is checked as the path it leads to.
  EXPECT_EQ(problem(dir / "to-missing"), "the folder " + quoted(dir / "missing") + " does not exist");
  EXPECT_EQ(problem(dir / "loop"), "Too many levels of symbolic links");
  EXPECT_EQ(problem(dir / "plain" / "x.png"), quoted(dir / "plain") + " is not a folder");
  EXPECT_EQ(rt::folderTarget((dir / "a" / "b").string()).problem, "");
  EXPECT_EQ(rt::folderTarget((dir / "plain" / "b").string()).problem, quoted(dir / "plain") + " is not a folder");
  EXPECT_FALSE(fs::exists(dir / "a"));
}

TEST_F(OutputTest, IdentitySeesThroughLinksAndDots) {
  std::ofstream(dir / "t.jsonl") << "x";
  fs::create_directories(dir / "x");
  fs::create_symlink("t.jsonl", dir / "l");
  fs::create_symlink("later.png", dir / "to-later");
  auto id = [](const fs::path& p) { return rt::outputTarget(p.string()).identity; };
  EXPECT_EQ(id(dir / "l"), id(dir / "t.jsonl"));
  EXPECT_EQ(id(dir / "x" / ".." / "new.png"), id(dir / "new.png"));
  EXPECT_EQ(id(dir / "to-later"), id(dir / "later.png")) << "a link to nothing yet";
  EXPECT_EQ(rt::outputTarget((dir / "to-later").string()).file, (dir / "later.png").string());
  EXPECT_NE(id(dir / "new.png"), id(dir / "t.jsonl"));
}

TEST_F(OutputTest, ALinkToNothingIsWrittenBesideItsTarget) {
  // Written in place, a write that fails (a full disk) would leave a
  // truncated file at the link's target; written beside it, nothing.
  fs::create_symlink("made.png", dir / "link.png");
  {
    rt::OutputFile out;
    ASSERT_TRUE(out.open((dir / "link.png").string()));
    out.write("half", 4);
  }
  EXPECT_EQ(names(), std::set<std::string>{"link.png"});
}

}  // namespace
