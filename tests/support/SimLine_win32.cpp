#include "tests/support/SimLine.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/SimJson.h"

namespace SimLine {
namespace {

using SimJson::Json;

std::string Environment(const char* Name) {
    const char* value = std::getenv(Name);
    if (!value || !*value) {
        throw std::runtime_error(std::string(Name) + " is not set: the simulator's host is unknown");
    }
    return value;
}

// The controller in sim_host, one loopback connection for as long as the test holds it.
class TRemoteSim final : public TSimLine {
public:
    explicit TRemoteSim(const sim::Options& Options) : Port(Environment("ZUR_TEST_SIM_COM")) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            throw std::runtime_error("no Winsock");
        }
        Socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<u_short>(std::stoi(Environment("ZUR_TEST_SIM_HOST"))));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (Socket == INVALID_SOCKET ||
            ::connect(Socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            Close();
            throw std::runtime_error("sim_host does not answer on its loopback port");
        }
        Ask({{"op", "start"}, {"options", SimJson::FromOptions(Options)}});
    }
    ~TRemoteSim() override { Close(); }
    TRemoteSim(const TRemoteSim&) = delete;
    TRemoteSim& operator=(const TRemoteSim&) = delete;

    std::string PortPath() const override { return Port; }
    sim::ControllerConfig Config(std::size_t Controller) const override {
        return SimJson::ToConfig(Ask({{"op", "config"}, {"index", Controller}}).at("config"));
    }
    void SetConfig(const sim::ControllerConfig& Config, std::size_t Controller) override {
        Ask({{"op", "set_config"}, {"config", SimJson::FromConfig(Config)}, {"index", Controller}});
    }
    void AddRule(const sim::Rule& Rule) override {
        Ask({{"op", "add_rule"}, {"rule", SimJson::FromRule(Rule)}});
    }
    void ClearRules() override { Ask({{"op", "clear_rules"}}); }
    sim::ReceivedImage Image() const override { return SimJson::ToImage(Ask({{"op", "image"}}).at("image")); }
    void QueuePollReply(const sim::PollReply& Reply) override {
        Ask({{"op", "queue_poll_reply"}, {"reply", SimJson::FromPollReply(Reply)}});
    }
    std::vector<std::vector<uint8_t>> ReceivedFrames() const override {
        return Ask({{"op", "frames"}}).at("frames").get<std::vector<std::vector<uint8_t>>>();
    }
    void ClearReceived() override { Ask({{"op", "clear_received"}}); }
    int ExchangeCount() const override { return Ask({{"op", "exchange_count"}}).at("count").get<int>(); }

private:
    Json Ask(const Json& Request) const {
        const std::string line = Request.dump() + "\n";
        for (std::size_t sent = 0; sent < line.size();) {
            const int n = ::send(Socket, line.data() + sent, static_cast<int>(line.size() - sent), 0);
            if (n <= 0) {
                throw std::runtime_error("sim_host went away");
            }
            sent += static_cast<std::size_t>(n);
        }
        for (;;) {
            if (const auto end = Pending.find('\n'); end != std::string::npos) {
                Json answer = Json::parse(Pending.substr(0, end));
                Pending.erase(0, end + 1);
                if (answer.contains("error")) {
                    throw std::runtime_error("sim_host: " + answer.at("error").get<std::string>());
                }
                return answer;
            }
            char chunk[4096];
            const int got = ::recv(Socket, chunk, sizeof chunk, 0);
            if (got <= 0) {
                throw std::runtime_error("sim_host went away");
            }
            Pending.append(chunk, static_cast<std::size_t>(got));
        }
    }
    void Close() {
        if (Socket != INVALID_SOCKET) {
            ::closesocket(Socket);
            Socket = INVALID_SOCKET;
        }
        WSACleanup();
    }

    std::string Port;
    SOCKET Socket = INVALID_SOCKET;
    mutable std::string Pending;
};

} // namespace

std::unique_ptr<TSimLine> Start(const sim::Options& Options) {
    return std::make_unique<TRemoteSim>(Options);
}

} // namespace SimLine
