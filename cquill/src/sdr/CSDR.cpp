#include "cquill/src/sdr/CSDR.h"

#include "cquill/src/quill/ResolveHost.h"
#include "cquill/src/sdr/GbkText.h"
#include "cquill/src/sdr/SDRLog.h"
#include "cquill/src/sdr/SdrProtocol.h"

namespace quill::sdr {

namespace {

constexpr std::size_t kReceivePiece = 64;

}  // namespace

void CSDR::Init(const char* key, const char* host, unsigned short port)
{
    if (started_)
        return;
    request_.key = key ? key : "";
    request_.host = host ? host : "";
    request_.port = port;
}

void CSDR::GetResult(std::vector<SdrEntry>& out)
{
    threading::CLockGuard guard(lock_);
    out = entries_;
}

bool CSDR::HasData()
{
    threading::CLockGuard guard(lock_);
    return !entries_.empty();
}

void CSDR::Stop()
{
    client_.Close();
    stopped_ = true;
}

void CSDR::Finish(const std::string& record)
{
    DirectoryLog().Write(record);
    DirectoryLog().Write("\n");
    stopped_ = true;
}

void CSDR::Run()
{
    if (started_.exchange(true))
        return;
    std::string record = "--CSDR-- " + DescribeRequest(request_);
    // A query too long for the frame's 16-bit length would go out malformed.
    if (!IsValidKey(request_.key) || BuildQuery(request_.key).size() > kMaxPayload) {
        Finish(record + "key is error.");
        return;
    }
    if (!Connect(record) || !SendQuery(record))
        return;
    ReceiveAnswer(record);
}

bool CSDR::Connect(std::string& record)
{
    const auto addresses = net::ResolveHost(request_.host);
    if (addresses.empty()) {
        stopped_ = true;
        record += Gbk(L"域名解析失败。");
        DirectoryLog().Write(record);
        DirectoryLog().Write("\n");
        return false;
    }
    client_.Create(addresses.front().c_str(), request_.port);
    if (client_.Connect())
        return true;
    Finish(record + Gbk(L"Connect链接失败。  ") + client_.client.error.ToString());
    return false;
}

bool CSDR::SendQuery(std::string& record)
{
    const std::string frame = *BuildFrame(BuildQuery(request_.key));
    if (client_.client.Send(frame.data(), static_cast<int>(frame.size())))
        return true;
    Finish(record + Gbk(L"Send请求失败。  ") + client_.client.error.ToString());
    return false;
}

void CSDR::ReceiveAnswer(std::string& record)
{
    std::string received;
    char piece[kReceivePiece];
    auto& client = client_.client;
    while (client.state == net::Connected) {
        const auto count = client.socket.Receive(piece, sizeof piece);
        if (count <= 0) {
            client.RecordError();
            int connected = net::Connected;
            client.state.compare_exchange_strong(connected, net::Broken);
            break;
        }
        received.append(piece, static_cast<std::size_t>(count));
        if (TryComplete(received)) {
            client_.Close();
            stopped_ = true;
            DirectoryLog().Write(record + Gbk(L"解析返回数据成功。  \n") + received);
            DirectoryLog().Write("\n");
            return;
        }
    }
    Finish(record + Gbk(L"自然结束。  \n") + received + "\n\n\n\n");
}

bool CSDR::TryComplete(const std::string& received)
{
    const auto length = AnnouncedLength(received);
    if (!length || received.size() < *length + kFrameHeaderSize)
        return false;
    if (*length == 0)
        return true;
    threading::CLockGuard guard(lock_);
    payload_ = received.substr(kFrameHeaderSize);
    entries_ = ParseEntries(payload_);
    return true;
}

}  // namespace quill::sdr
