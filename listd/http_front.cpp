#include "listd/http_front.h"

#include <httplib.h>

#include "common/net/forwarded_for.h"
#include "common/platform/core/socket.h"
#include "listd/list_format.h"
#include "listd/list_service.h"

namespace kb {

std::string RequestingAddress(const std::string& remoteAddress, const std::string& forwardedFor,
                              bool trustForwardedFor) {
  if (trustForwardedFor && !forwardedFor.empty()) return ForwardedAddress(forwardedFor);
  return DottedIpv4(remoteAddress);
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
