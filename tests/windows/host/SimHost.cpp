// sim_host: the simulated controller for window tests that run under Wine. A Windows program cannot
// host the simulator (it needs a pseudo-terminal), so this program of the build machine runs it: it
// listens on a loopback port, and for each connection makes the controller a test asks for, with
// its port behind the link that Wine maps to a COM port, and answers the test's requests about it.
// One JSON object a line each way; the controller goes when the connection closes.

#include <arpa/inet.h>
#include <charconv>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "serial/UniqueFd.h"
#include "sim/Simulator.h"
#include "tests/support/SimJson.h"

namespace {

using SimJson::Json;

// Reads one line from Socket into Line; false when the peer has gone.
bool ReadLine(int Socket, std::string& Pending, std::string& Line) {
    for (;;) {
        if (const auto end = Pending.find('\n'); end != std::string::npos) {
            Line = Pending.substr(0, end);
            Pending.erase(0, end + 1);
            return true;
        }
        char chunk[4096];
        const ssize_t got = ::read(Socket, chunk, sizeof chunk);
        if (got <= 0) {
            return false;
        }
        Pending.append(chunk, static_cast<std::size_t>(got));
    }
}

bool WriteLine(int Socket, const Json& Object) {
    const std::string line = Object.dump() + "\n";
    std::size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::write(Socket, line.data() + sent, line.size() - sent);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

Json Answer(const Json& Request, std::unique_ptr<sim::Simulator>& Sim, const std::string& Link) {
    const std::string op = Request.at("op").get<std::string>();
    if (op == "start") {
        Sim.reset(); // its link goes with it
        sim::Options options = SimJson::ToOptions(Request.at("options"));
        options.LinkPath = Link;
        Sim = std::make_unique<sim::Simulator>(options);
        return Json::object();
    }
    if (!Sim) {
        return {{"error", "no controller started"}};
    }
    if (op == "config") {
        return {{"config", SimJson::FromConfig(Sim->Config(Request.value("index", std::size_t{0})))}};
    }
    if (op == "set_config") {
        Sim->SetConfig(SimJson::ToConfig(Request.at("config")), Request.value("index", std::size_t{0}));
        return Json::object();
    }
    if (op == "add_rule") {
        Sim->AddRule(SimJson::ToRule(Request.at("rule")));
        return Json::object();
    }
    if (op == "clear_rules") {
        Sim->ClearRules();
        return Json::object();
    }
    if (op == "image") {
        return {{"image", SimJson::FromImage(Sim->Image())}};
    }
    if (op == "queue_poll_reply") {
        Sim->QueuePollReply(SimJson::ToPollReply(Request.at("reply")));
        return Json::object();
    }
    if (op == "frames") {
        return {{"frames", Sim->ReceivedFrames()}};
    }
    if (op == "clear_received") {
        Sim->ClearReceived();
        return Json::object();
    }
    if (op == "exchange_count") {
        return {{"count", Sim->ExchangeCount()}};
    }
    return {{"error", "unknown request " + op}};
}

void Serve(int Socket, const std::string& Link) {
    std::unique_ptr<sim::Simulator> sim;
    std::string pending, line;
    while (ReadLine(Socket, pending, line)) {
        Json answer;
        try {
            answer = Answer(Json::parse(line), sim, Link);
        } catch (const std::exception& e) {
            answer = {{"error", e.what()}};
        }
        if (!WriteLine(Socket, answer)) {
            return;
        }
    }
}

std::optional<int> Number(const char* Text) {
    int value = 0;
    const std::string_view text(Text);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<int> port = argc == 3 ? Number(argv[1]) : std::nullopt;
    if (!port || *port < 0 || *port > 65535) {
        std::fprintf(stderr, "usage: sim_host PORT LINK (PORT 0: any free one)\n");
        return 2;
    }
    const UniqueFd listener(::socket(AF_INET, SOCK_STREAM, 0));
    const int on = 1;
    ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(*port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), 1) != 0) {
        std::perror("sim_host: loopback port");
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    std::printf("sim_host: listening on 127.0.0.1:%d, the controller's port at %s\n", ntohs(address.sin_port),
                argv[2]);
    std::fflush(stdout);
    for (;;) {
        const UniqueFd client(::accept(listener.Get(), nullptr, nullptr));
        if (client.Get() >= 0) {
            Serve(client.Get(), argv[2]);
        }
    }
}
