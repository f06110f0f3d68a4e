// The FileServer program end to end over loopback, against the real clients
// from Debian and against hand-made packets.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "fileserver/tftp_request.h"
#include "tests/fileserver/packet_bytes.h"
#include "tests/fileserver/server_process.h"
#include "tests/fileserver/udp_client.h"
#include "tests/util/temp_directory.h"

namespace {

namespace fs = std::filesystem;

bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int RunCommand(const std::string& command) {
  return std::system(("timeout 60 " + command + " >/dev/null 2>&1").c_str());
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(random() & 0xff);
  return out;
}

class FileServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    served_ = temp_.path() / "served";
    fs::create_directories(served_ / "sub");
    firmware_ = RandomBytes(1024 * 1024 + 1, 1);
    temp_.Write("served/fw.bin", firmware_);
    temp_.Write("served/notes.txt", "line one\nline two\n\nlast line\n");
    temp_.Write("outside.txt", "secret\n");
    ASSERT_TRUE(server_.Start(served_, temp_.path())) << "FileServer did not start";
  }

  std::string Url(const std::string& name) const {
    return "tftp://127.0.0.1:" + std::to_string(server_.port()) + "/" + name;
  }
  std::string Port() const { return std::to_string(server_.port()); }
  fs::path Out(const std::string& name) const { return temp_.path() / name; }
  std::string ReadOut(const std::string& name) const { return temp_.Read(name); }

  // Sends one datagram to the server's port; the first answer, if any.
  std::optional<Datagram> Ask(const std::vector<std::byte>& packet) const {
    UdpClient client;
    client.SendTo(server_.port(), packet);
    return client.Receive();
  }

  TempDirectory temp_;
  fs::path served_;
  std::string firmware_;
  ServerProcess server_;
};

struct ClientCase {
  const char* label;
  const char* tool;
  // %u: URL of fw.bin, %p: port, %o: output file, %f: served file name
  const char* command;
  const char* file;
};

class RealClientTest : public FileServerTest, public ::testing::WithParamInterface<ClientCase> {};

std::string Expand(std::string text, const std::map<std::string, std::string>& values) {
  for (const auto& [key, value] : values) {
    for (std::size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, 2, value);
  }
  return text;
}

TEST_P(RealClientTest, FetchesAByteIdenticalCopy) {
  const ClientCase& c = GetParam();
  if (!HaveTool(c.tool)) GTEST_SKIP() << c.tool << " is not installed";
  const std::string command =
      Expand(c.command,
             {{"%u", Url(c.file)}, {"%p", Port()}, {"%o", Out("copy").string()}, {"%f", c.file}});
  ASSERT_EQ(RunCommand(command), 0) << command;
  EXPECT_EQ(ReadOut("copy"), temp_.Read(fs::path("served") / c.file));
}

INSTANTIATE_TEST_SUITE_P(
    Clients, RealClientTest,
    ::testing::Values(
        ClientCase{"Curl", "curl", "curl -sf -o %o %u", "fw.bin"},
        ClientCase{"CurlBlksize1468", "curl", "curl -sf --tftp-blksize 1468 -o %o %u", "fw.bin"},
        ClientCase{"CurlBlksize65464", "curl", "curl -sf --tftp-blksize 65464 -o %o %u", "fw.bin"},
        ClientCase{"CurlWithoutOptions", "curl", "curl -sf --tftp-no-options -o %o %u", "fw.bin"},
        ClientCase{"TftpHpa", "tftp", "tftp -m binary 127.0.0.1 %p -c get %f %o", "fw.bin"},
        ClientCase{"TftpHpaNetascii", "tftp", "tftp -m ascii 127.0.0.1 %p -c get %f %o",
                   "notes.txt"},
        ClientCase{"AtftpWindowsize16", "atftp",
                   "atftp --option 'windowsize 16' -g -r %f -l %o 127.0.0.1 %p", "fw.bin"},
        ClientCase{"AtftpWindowsize8Blksize1468", "atftp",
                   "atftp --option 'windowsize 8' --option 'blksize 1468' -g -r %f -l %o "
                   "127.0.0.1 %p",
                   "fw.bin"}),
    [](const auto& row) { return std::string(row.param.label); });

TEST_F(FileServerTest, LargeFileRollsBlockNumbersOverWith512ByteBlocks) {
  if (!HaveTool("curl")) GTEST_SKIP() << "curl is not installed";
  // 65536 blocks of 512 bytes are 32 MiB: this file needs block numbers past 65535.
  const std::string big = RandomBytes(33 * 1024 * 1024 + 77, 2);
  temp_.Write("served/big.bin", big);
  ASSERT_EQ(RunCommand("curl -sf -o " + Out("big").string() + " " + Url("big.bin")), 0);
  EXPECT_TRUE(ReadOut("big") == big);
}

TEST_F(FileServerTest, TenFetchesAtOnce) {
  if (!HaveTool("curl")) GTEST_SKIP() << "curl is not installed";
  std::string script;
  for (int i = 0; i < 10; ++i) {
    const std::string blksize = i % 2 == 0 ? "" : " --tftp-blksize 1468";
    script += "curl -sf" + blksize + " -o " + Out("copy" + std::to_string(i)).string() + " " +
              Url("fw.bin") + " & ";
  }
  script += "wait";
  ASSERT_EQ(std::system(("timeout 60 sh -c '" + script + "'").c_str()), 0);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(ReadOut("copy" + std::to_string(i)) == firmware_) << i;
  server_.Stop();
  std::istringstream log(server_.Log());
  int sent = 0;
  for (std::string line; std::getline(log, line);) {
    if (line.find("\"fw.bin\" 1048577 bytes") != std::string::npos &&
        line.find(", sent") != std::string::npos) {
      ++sent;
    }
  }
  EXPECT_EQ(sent, 10) << server_.Log();
}

struct RefusalCase {
  const char* label;
  std::vector<std::byte> packet;
  TftpErrorCode code;
};

class RefusalTest : public FileServerTest, public ::testing::WithParamInterface<RefusalCase> {
 protected:
  void SetUp() override {
    FileServerTest::SetUp();
    fs::create_symlink("../outside.txt", served_ / "link-out");
    fs::create_symlink("/etc/passwd", served_ / "link-absolute");
    ASSERT_EQ(::mkfifo((served_ / "fifo").c_str(), 0600), 0);
  }
};

TEST_P(RefusalTest, AnswersWithTheRightError) {
  // An absolute name is only known once the folder exists.
  std::vector<std::byte> packet = GetParam().packet;
  if (std::string(GetParam().label) == "AbsoluteName") {
    packet = Request(1, (temp_.path() / "outside.txt").string(), "octet");
  }
  const auto answer = Ask(packet);
  ASSERT_TRUE(answer) << "no answer";
  ASSERT_GE(answer->bytes.size(), 5u);
  EXPECT_EQ(U16At(answer->bytes, 0), static_cast<uint16_t>(TftpOpcode::kError));
  EXPECT_EQ(U16At(answer->bytes, 2), static_cast<uint16_t>(GetParam().code));
  EXPECT_EQ(answer->bytes.back(), std::byte{0});
  // Each answer comes from a fresh transfer ID, as a transfer would.
  EXPECT_NE(answer->fromPort, server_.port());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    ::testing::Values(
        RefusalCase{"WriteRequest", Request(2, "fw.bin", "octet"), TftpErrorCode::kAccessViolation},
        RefusalCase{"ParentSegment", Request(1, "../outside.txt", "octet"),
                    TftpErrorCode::kAccessViolation},
        RefusalCase{"ParentSegmentInside", Request(1, "sub/../../outside.txt", "octet"),
                    TftpErrorCode::kAccessViolation},
        RefusalCase{"AbsoluteName", {}, TftpErrorCode::kAccessViolation},
        RefusalCase{"SymlinkOut", Request(1, "link-out", "octet"), TftpErrorCode::kAccessViolation},
        RefusalCase{"AbsoluteSymlink", Request(1, "link-absolute", "octet"),
                    TftpErrorCode::kAccessViolation},
        RefusalCase{"Directory", Request(1, "sub", "octet"), TftpErrorCode::kAccessViolation},
        RefusalCase{"Fifo", Request(1, "fifo", "octet"), TftpErrorCode::kAccessViolation},
        RefusalCase{"Missing", Request(1, "missing.bin", "octet"), TftpErrorCode::kFileNotFound},
        RefusalCase{"MailMode", Request(1, "fw.bin", "mail"), TftpErrorCode::kIllegalOperation},
        RefusalCase{"Unterminated", Bytes(std::string("\0\1fw.bin", 8)),
                    TftpErrorCode::kIllegalOperation},
        RefusalCase{"AckToTheServerPort", Ack(1), TftpErrorCode::kIllegalOperation},
        RefusalCase{"BlksizeTooSmall", Request(1, "fw.bin", "octet", {"blksize", "4"}),
                    TftpErrorCode::kOptionRefused}),
    [](const auto& row) { return std::string(row.param.label); });

TEST_F(FileServerTest, SymlinkThatStaysInsideIsServed) {
  fs::create_symlink("fw.bin", served_ / "latest.bin");
  const auto answer = Ask(Request(1, "latest.bin", "octet"));
  ASSERT_TRUE(answer);
  EXPECT_EQ(U16At(answer->bytes, 0), static_cast<uint16_t>(TftpOpcode::kData));
  EXPECT_EQ(Text(std::span(answer->bytes).subspan(4)), firmware_.substr(0, 512));
}

TEST_F(FileServerTest, StrangerOnATransferPortGetsError5AndTheTransferGoesOn) {
  UdpClient client;
  client.SendTo(server_.port(), Request(1, "fw.bin", "octet"));
  const auto first = client.Receive();
  ASSERT_TRUE(first);
  ASSERT_EQ(U16At(first->bytes, 2), 1);

  UdpClient stranger;
  stranger.SendTo(first->fromPort, Ack(1));
  const auto refused = stranger.Receive();
  ASSERT_TRUE(refused);
  EXPECT_EQ(U16At(refused->bytes, 0), static_cast<uint16_t>(TftpOpcode::kError));
  EXPECT_EQ(U16At(refused->bytes, 2), static_cast<uint16_t>(TftpErrorCode::kUnknownTransferId));

  client.SendTo(first->fromPort, Ack(1));
  const auto second = client.Receive();
  ASSERT_TRUE(second);
  EXPECT_EQ(U16At(second->bytes, 0), static_cast<uint16_t>(TftpOpcode::kData));
  EXPECT_EQ(U16At(second->bytes, 2), 2);
  EXPECT_EQ(Text(std::span(second->bytes).subspan(4)), firmware_.substr(512, 512));
}

TEST_F(FileServerTest, ARepeatedRequestIsIgnoredUntilTheClientAnswered) {
  UdpClient client;
  client.SendTo(server_.port(), Request(1, "fw.bin", "octet"));
  const auto first = client.Receive();
  ASSERT_TRUE(first);
  client.SendTo(server_.port(), Request(1, "fw.bin", "octet"));
  EXPECT_FALSE(client.Receive(300)) << "a retransmitted request started a second transfer";
  // A stray packet to the server's port is refused without touching the transfer.
  client.SendTo(server_.port(), Ack(1));
  const auto stray = client.Receive();
  ASSERT_TRUE(stray);
  EXPECT_EQ(U16At(stray->bytes, 2), static_cast<uint16_t>(TftpErrorCode::kIllegalOperation));

  // Once the client moved on, the same request from the same port is a new fetch.
  client.SendTo(first->fromPort, Ack(1));
  const auto second = client.Receive();
  ASSERT_TRUE(second);
  EXPECT_EQ(U16At(second->bytes, 2), 2);
  client.SendTo(server_.port(), Ack(1));
  ASSERT_TRUE(client.Receive());
  client.SendTo(second->fromPort, Ack(2));
  const auto third = client.Receive();
  ASSERT_TRUE(third);
  EXPECT_EQ(U16At(third->bytes, 2), 3) << "a stray packet ended the transfer";
  client.SendTo(server_.port(), Request(1, "notes.txt", "octet"));
  const auto restart = client.Receive();
  ASSERT_TRUE(restart);
  EXPECT_NE(restart->fromPort, first->fromPort);
  EXPECT_EQ(U16At(restart->bytes, 2), 1);
  EXPECT_EQ(Text(std::span(restart->bytes).subspan(4)), temp_.Read("served/notes.txt"));
}

TEST_F(FileServerTest, RetransmitsAnUnansweredBlock) {
  UdpClient client;
  client.SendTo(server_.port(), Request(1, "fw.bin", "octet", {"timeout", "1"}));
  const auto optionAck = client.Receive();
  ASSERT_TRUE(optionAck);
  EXPECT_EQ(Text(optionAck->bytes), std::string("\0\6timeout\0001\0", 12));
  client.SendTo(optionAck->fromPort, Ack(0));
  const auto first = client.Receive();
  const auto again = client.Receive(3000);
  ASSERT_TRUE(first && again);
  EXPECT_EQ(again->bytes, first->bytes);
}

TEST_F(FileServerTest, GarbageNeverStopsTheServer) {
  std::mt19937 random(7);
  UdpClient client;
  // A transfer port too, so that garbage also reaches a running transfer.
  client.SendTo(server_.port(), Request(1, "fw.bin", "octet"));
  const auto first = client.Receive();
  ASSERT_TRUE(first);
  for (int i = 0; i < 2000; ++i) {
    std::vector<std::byte> junk(random() % 700);
    for (std::byte& b : junk) b = static_cast<std::byte>(random() & 0xff);
    // Most packets start like a request so that they reach the option parser.
    if (junk.size() >= 2 && i % 2 == 0) junk[0] = std::byte{0}, junk[1] = std::byte{1};
    UdpClient sender;
    sender.SendTo(i % 10 == 0 ? first->fromPort : server_.port(), junk);
  }
  if (!HaveTool("curl")) GTEST_SKIP() << "curl is not installed";
  ASSERT_EQ(RunCommand("curl -sf -o " + Out("copy").string() + " " + Url("fw.bin")), 0);
  EXPECT_TRUE(ReadOut("copy") == firmware_);
}

TEST_F(FileServerTest, LogsOneLinePerTransfer) {
  if (!HaveTool("curl")) GTEST_SKIP() << "curl is not installed";
  ASSERT_EQ(RunCommand("curl -sf -o " + Out("copy").string() + " " + Url("fw.bin")), 0);
  server_.Stop();
  const std::string log = server_.Log();
  // The start-up probe and the fetch, nothing else.
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
  EXPECT_NE(log.find("\"probe.txt\" "), std::string::npos) << log;
  EXPECT_NE(log.find("127.0.0.1:"), std::string::npos);
  EXPECT_NE(log.find("\"fw.bin\" 1048577 bytes in "), std::string::npos) << log;
  EXPECT_FALSE(fs::exists(served_ / "FileServer.log"));
}

int WaitForExit(pid_t pid, int& status) {
  for (int i = 0; i < 300; ++i) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

TEST_F(FileServerTest, APortInUseIsOneClearLineAndAFailure) {
  const fs::path log = temp_.path() / "second.log";
  const pid_t second =
      ServerProcess::Spawn({FILESERVER_PATH, (temp_.path() / "FileServer.ini").string()}, log);
  int status = 0;
  ASSERT_EQ(WaitForExit(second, status), 0) << "the second server kept running";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0);
  const std::string text = temp_.Read("second.log");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_NE(text.find("cannot listen on UDP 127.0.0.1:" + Port()), std::string::npos) << text;
}

TEST(FileServerProgram, PrivilegedPortWithoutRightsIsOneClearLine) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run the server as another user";
  if (!HaveTool("setpriv")) GTEST_SKIP() << "setpriv is not installed";
  std::ifstream start("/proc/sys/net/ipv4/ip_unprivileged_port_start");
  int firstFree = 1024;
  start >> firstFree;
  if (firstFree <= 69) GTEST_SKIP() << "port 69 needs no privilege on this machine";
  TempDirectory temp;
  fs::permissions(temp.path(), fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
  fs::create_directory(temp.path() / "served");
  std::ofstream(temp.path() / "FileServer.ini")
      << "[SERVER]\nDirectory=" << (temp.path() / "served").string() << "\nAddress=127.0.0.1\n";
  const pid_t pid = ServerProcess::Spawn(
      {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--inh-caps=-all",
       "--bounding-set=-all", FILESERVER_PATH, (temp.path() / "FileServer.ini").string()},
      temp.path() / "server.log");
  int status = 0;
  ASSERT_EQ(WaitForExit(pid, status), 0) << "the server kept running";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
  const std::string text = temp.Read("server.log");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_NE(text.find("cap_net_bind_service"), std::string::npos) << text;
}

TEST(FileServerProgram, StartedThroughPkexecItServesAsTheCallingUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, as under pkexec";
  TempDirectory temp;
  fs::permissions(temp.path(),
                  fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  fs::create_directory(temp.path() / "served");
  temp.Write("served/fw.bin", "firmware");
  ::setenv("PKEXEC_UID", "65534", 1);
  ServerProcess server;
  const bool started = server.Start(temp.path() / "served", temp.path());
  ::unsetenv("PKEXEC_UID");
  ASSERT_TRUE(started);
  std::ifstream status("/proc/" + std::to_string(server.pid()) + "/status");
  std::string line;
  while (std::getline(status, line) && line.rfind("Uid:", 0) != 0) {
  }
  EXPECT_EQ(line, "Uid:\t65534\t65534\t65534\t65534");
  UdpClient client;
  client.SendTo(server.port(), Request(1, "fw.bin", "octet"));
  const auto answer = client.Receive();
  ASSERT_TRUE(answer);
  EXPECT_EQ(Text(std::span(answer->bytes).subspan(4)), "firmware");
}

TEST(FileServerProgram, MissingDirectoryKeyIsAnError) {
  TempDirectory temp;
  temp.Write("FileServer.ini", "[SERVER]\nPort=16968\n");
  const pid_t pid = ServerProcess::Spawn(
      {FILESERVER_PATH, (temp.path() / "FileServer.ini").string()}, temp.path() / "server.log");
  int status = 0;
  ASSERT_EQ(WaitForExit(pid, status), 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
  EXPECT_NE(temp.Read("server.log").find("no Directory in section SERVER"), std::string::npos);
}

}  // namespace
