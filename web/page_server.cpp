// The only file that includes Boost.Beast: it is slow to compile.
#include "web/page_server.h"

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <deque>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include "web/page_assets.h"
#include "web/request_guard.h"

namespace bexa::web {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {
constexpr size_t kMaxRequestBody = 64 * 1024;
constexpr size_t kMaxPageMessage = 1024 * 1024;
constexpr size_t kMaxQueuedMessages = 10000;  // a page that reads nothing is dropped
class PageSession;
std::string_view Sv(beast::string_view s) { return std::string_view(s.data(), s.size()); }
}  // namespace

struct PageServer::Impl {
  net::io_context ioc{1};
  tcp::acceptor acceptor{ioc};
  std::thread thread;
  std::string token;
  Snapshot snapshot;
  Incoming incoming;
  ScriptCall call;
  uint16_t port = 0;
  std::set<std::shared_ptr<PageSession>> pages;  // io thread only
  std::atomic<size_t> page_count{0};

  void Accept();
};

namespace {

class PageSession : public std::enable_shared_from_this<PageSession> {
 public:
  PageSession(tcp::socket&& socket, std::shared_ptr<PageServer::Impl> server)
      : ws_(std::move(socket)), server_(std::move(server)) {}

  void Run(http::request<http::string_body> request) {
    ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    ws_.read_message_max(kMaxPageMessage);
    ws_.async_accept(request, beast::bind_front_handler(&PageSession::OnAccept, shared_from_this()));
  }

  void Send(std::shared_ptr<const std::string> message) {
    if (queue_.size() >= kMaxQueuedMessages) {
      Drop();
      return;
    }
    queue_.push_back(std::move(message));
    if (queue_.size() == 1) Write();
  }

  void Close() {
    beast::error_code ec;
    beast::get_lowest_layer(ws_).socket().close(ec);
  }

 private:
  void OnAccept(beast::error_code ec) {
    if (ec) return;
    server_->pages.insert(shared_from_this());
    server_->page_count = server_->pages.size();
    for (std::string& m : server_->snapshot()) Send(std::make_shared<const std::string>(std::move(m)));
    Read();
  }

  void Read() {
    ws_.async_read(buffer_, beast::bind_front_handler(&PageSession::OnRead, shared_from_this()));
  }

  void OnRead(beast::error_code ec, size_t) {
    if (ec) {
      Drop();
      return;
    }
    if (ws_.got_text()) server_->incoming(beast::buffers_to_string(buffer_.data()));
    buffer_.consume(buffer_.size());
    Read();
  }

  void Write() {
    ws_.text(true);
    ws_.async_write(net::buffer(*queue_.front()),
                    beast::bind_front_handler(&PageSession::OnWrite, shared_from_this()));
  }

  void OnWrite(beast::error_code ec, size_t) {
    if (ec) {
      Drop();
      return;
    }
    queue_.pop_front();
    if (!queue_.empty()) Write();
  }

  void Drop() {
    server_->pages.erase(shared_from_this());
    server_->page_count = server_->pages.size();
    queue_.clear();
    Close();
  }

  websocket::stream<beast::tcp_stream> ws_;
  beast::flat_buffer buffer_;
  std::deque<std::shared_ptr<const std::string>> queue_;
  std::shared_ptr<PageServer::Impl> server_;
};

class HttpSession : public std::enable_shared_from_this<HttpSession> {
 public:
  HttpSession(tcp::socket&& socket, std::shared_ptr<PageServer::Impl> server)
      : stream_(std::move(socket)), server_(std::move(server)) {}

  void Read() {
    parser_.emplace();
    parser_->body_limit(kMaxRequestBody);
    stream_.expires_after(std::chrono::seconds(30));
    http::async_read(stream_, buffer_, *parser_,
                     beast::bind_front_handler(&HttpSession::OnRead, shared_from_this()));
  }

 private:
  void OnRead(beast::error_code ec, size_t) {
    if (ec) {
      stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
      return;
    }
    http::request<http::string_body> request = parser_->release();
    bool upgrade = websocket::is_upgrade(request);
    RequestFacts facts;
    facts.host = Sv(request[http::field::host]);
    facts.origin = Sv(request[http::field::origin]);
    facts.cookie = Sv(request[http::field::cookie]);
    facts.target = Sv(request.target());
    facts.websocket_upgrade = upgrade;
    Verdict verdict = CheckRequest(facts, server_->token, server_->port);
    if (verdict != Verdict::kAllow) {
      Respond(request, http::status::forbidden, "text/plain", "Forbidden\n", true);
      return;
    }
    std::string_view path = TargetPath(Sv(request.target()));
    if (upgrade) {
      if (path != "/ws") {
        Respond(request, http::status::not_found, "text/plain", "Not found\n", true);
        return;
      }
      stream_.expires_never();
      std::make_shared<PageSession>(stream_.release_socket(), server_)->Run(std::move(request));
      return;
    }
    if (request.method() == http::verb::post && path.starts_with("/call/")) {
      Call(request, path.substr(6));
      return;
    }
    if (request.method() != http::verb::get && request.method() != http::verb::head) {
      Respond(request, http::status::method_not_allowed, "text/plain", "Method not allowed\n", true);
      return;
    }
    if (!QueryToken(Sv(request.target())).empty()) {
      // The first visit brings the token in its address: keep it in a
      // cookie of this page only, and take it out of the address bar.
      auto res = std::make_shared<http::response<http::string_body>>(http::status::see_other,
                                                                     request.version());
      res->set(http::field::location, "/");
      res->set(http::field::set_cookie, TokenCookieName(server_->port) + "=" + server_->token +
                                            "; Path=/; HttpOnly; SameSite=Strict");
      Send(res, request.keep_alive());
      return;
    }
    const PageAsset* asset = FindPageAsset(path == "/" ? "/index.html" : path);
    if (!asset) {
      Respond(request, http::status::not_found, "text/plain", "Not found\n", false);
      return;
    }
    Respond(request, http::status::ok, asset->content_type,
            std::string(reinterpret_cast<const char*>(asset->data), asset->size), false);
  }

  // "OBJECT/MEMBER": the host's reply, or 404.
  void Call(const http::request<http::string_body>& request, std::string_view name) {
    const size_t slash = name.find('/');
    std::optional<std::string> reply;
    if (server_->call && slash != std::string_view::npos)
      reply = server_->call(std::string(name.substr(0, slash)), std::string(name.substr(slash + 1)),
                            request.body());
    if (!reply) {
      Respond(request, http::status::not_found, "text/plain", "Not found\n", false);
      return;
    }
    Respond(request, http::status::ok, "text/plain; charset=utf-8", std::move(*reply), false);
  }

  void Respond(const http::request<http::string_body>& request, http::status status,
               const char* type, std::string body, bool close) {
    auto res = std::make_shared<http::response<http::string_body>>(status, request.version());
    res->set(http::field::content_type, type);
    res->set(http::field::cache_control, "no-store");
    res->set("X-Content-Type-Options", "nosniff");
    res->set("X-Frame-Options", "DENY");
    res->set("Referrer-Policy", "no-referrer");
    std::string port = std::to_string(server_->port);
    res->set("Content-Security-Policy",
             "default-src 'self'; connect-src 'self' ws://127.0.0.1:" + port + " ws://localhost:" +
                 port + "; img-src 'self' data:; frame-ancestors 'none'");
    bool head = request.method() == http::verb::head;
    res->body() = std::move(body);
    res->prepare_payload();
    if (head) res->body().clear();
    Send(res, request.keep_alive() && !close);
  }

  void Send(std::shared_ptr<http::response<http::string_body>> res, bool keep_alive) {
    res->keep_alive(keep_alive);
    response_ = res;
    http::async_write(stream_, *res,
                      [self = shared_from_this(), keep_alive](beast::error_code ec, size_t) {
                        self->response_.reset();
                        if (ec || !keep_alive) {
                          self->stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
                          return;
                        }
                        self->Read();
                      });
  }

  beast::tcp_stream stream_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  std::shared_ptr<http::response<http::string_body>> response_;
  std::shared_ptr<PageServer::Impl> server_;
};

}  // namespace

void PageServer::Impl::Accept() {
  acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (!acceptor.is_open()) return;
    if (!ec) {
      // The impl outlives every session: Stop joins the thread first.
      std::shared_ptr<Impl> self(std::shared_ptr<Impl>{}, this);
      std::make_shared<HttpSession>(std::move(socket), self)->Read();
    }
    Accept();
  });
}

PageServer::PageServer(std::string token, Snapshot snapshot, Incoming incoming, ScriptCall call)
    : impl_(std::make_shared<Impl>()) {
  impl_->token = std::move(token);
  impl_->snapshot = std::move(snapshot);
  impl_->incoming = std::move(incoming);
  impl_->call = std::move(call);
}

PageServer::~PageServer() { Stop(); }

uint16_t PageServer::Start(uint16_t port) {
  tcp::endpoint endpoint(net::ip::make_address("127.0.0.1"), port);
  beast::error_code ec;
  impl_->acceptor.open(endpoint.protocol(), ec);
  if (!ec) impl_->acceptor.set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) impl_->acceptor.bind(endpoint, ec);
  if (!ec) impl_->acceptor.listen(net::socket_base::max_listen_connections, ec);
  if (ec) throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + ec.message());
  impl_->port = impl_->acceptor.local_endpoint().port();
  impl_->Accept();
  impl_->thread = std::thread([impl = impl_.get()] { impl->ioc.run(); });
  return impl_->port;
}

void PageServer::Stop() {
  if (!impl_->thread.joinable()) return;
  net::post(impl_->ioc, [impl = impl_.get()] {
    beast::error_code ec;
    impl->acceptor.close(ec);
    for (const auto& page : impl->pages) page->Close();
    impl->pages.clear();
    impl->page_count = 0;
    impl->ioc.stop();
  });
  impl_->thread.join();
}

uint16_t PageServer::port() const { return impl_->port; }

void PageServer::Broadcast(std::string message) {
  auto shared = std::make_shared<const std::string>(std::move(message));
  net::post(impl_->ioc, [impl = impl_.get(), shared] {
    // Sessions may leave the set while sending; iterate over a copy.
    auto pages = impl->pages;
    for (const auto& page : pages) page->Send(shared);
  });
}

size_t PageServer::PageCount() const { return impl_->page_count; }

}  // namespace bexa::web
