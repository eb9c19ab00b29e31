#include "listd/http_front.h"

#include <arpa/inet.h>
#include <httplib.h>

#include "listd/list_format.h"
#include "listd/list_service.h"

namespace kb {
namespace {

std::string Trim(std::string text) {
  size_t from = text.find_first_not_of(" \t");
  if (from == std::string::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t") - from + 1);
}

bool DottedIpv4(const std::string& text) {
  in_addr address;
  return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

}  // namespace

std::string RequestingAddress(const std::string& remoteAddress, const std::string& forwardedFor,
                              bool trustForwardedFor) {
  std::string address = remoteAddress;
  if (trustForwardedFor && !forwardedFor.empty()) {
    // Earlier addresses come from the client itself and prove nothing.
    size_t comma = forwardedFor.rfind(',');
    address = Trim(comma == std::string::npos ? forwardedFor : forwardedFor.substr(comma + 1));
  }
  if (address.starts_with("::ffff:")) address = address.substr(7);
  return DottedIpv4(address) ? address : std::string();
}

void MountListService(httplib::Server& server, ListService& service, const HttpFrontOptions& options) {
  int threads = options.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
  server.set_keep_alive_timeout(2);
  server.set_keep_alive_max_count(10);
  server.set_payload_max_length(4096);
  server.Get(std::string(kListPath), [&service, options](const httplib::Request& request,
                                                         httplib::Response& response) {
    std::string peer = RequestingAddress(request.remote_addr, request.get_header_value("X-Forwarded-For"),
                                         options.trustForwardedFor);
    size_t question = request.target.find('?');
    std::string_view query;
    if (question != std::string::npos) query = std::string_view(request.target).substr(question + 1);
    std::string body = peer.empty() ? std::string(kListFailed) : service.Answer(peer, query);
    response.set_content(body, "text/plain; charset=ISO-8859-1");
  });
  // Other paths and methods get a 4xx that still reads as a failed answer.
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(kListFailed), "text/plain; charset=ISO-8859-1");
  });
  server.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
    response.status = 500;
    response.set_content(std::string(kListFailed), "text/plain; charset=ISO-8859-1");
  });
}

}  // namespace kb
