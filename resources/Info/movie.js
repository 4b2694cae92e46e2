// The runtime every movie shares: the program's requests arrive as <invoke ...> strings (see
// __mapvaleMovieRequest), are parsed here without an XML parser (some lack the blank before
// "returntype", which an XML parser refuses) and call the callbacks a movie registered; anything
// malformed is ignored. FSCommand goes back to the program when a host provides it.
(function () {
    'use strict';
    var kMaxRequest = 65536;
    var callbacks = Object.create(null);

    function unescapeXml(text) {
        return text.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
            .replace(/&apos;/g, "'").replace(/&amp;/g, '&');
    }

    // {name, args} or null.
    function parse(request) {
        if (typeof request !== 'string' || request.length > kMaxRequest) {
            return null;
        }
        var head = /^\s*<invoke\s+name\s*=\s*"([A-Za-z_$][\w$]*)"[^>]*>/.exec(request);
        if (!head || !/<\/invoke>\s*$/.test(request)) {
            return null;
        }
        var body = request.slice(head[0].length).replace(/<\/invoke>\s*$/, '');
        var args = [];
        var list = /^\s*<arguments>([\s\S]*)<\/arguments>\s*$/.exec(body);
        if (list) {
            var item = /\s*(?:<(string|number)>([\s\S]*?)<\/\1>|<(string)\s*\/>|<(true|false|null)\s*\/>)/y;
            var text = list[1];
            var at = 0;
            while (at < text.length) {
                item.lastIndex = at;
                var m = item.exec(text);
                if (!m) {
                    if (/^\s*$/.test(text.slice(at))) {
                        break;
                    }
                    return null;
                }
                if (m[1] === 'number') {
                    var number = Number(m[2]);
                    if (m[2].trim() === '' || !isFinite(number)) {
                        return null;
                    }
                    args.push(number);
                } else if (m[1] === 'string') {
                    args.push(unescapeXml(m[2]));
                } else if (m[3]) {
                    args.push('');
                } else {
                    args.push(m[4] === 'true' ? true : m[4] === 'false' ? false : null);
                }
                at = item.lastIndex;
            }
        } else if (!/^\s*$/.test(body)) {
            return null;
        }
        return {name: head[1], args: args};
    }

    window.Movie = {
        addCallback: function (name, callback) { callbacks[name] = callback; },
        parse: parse,
        // The page's query value `name`, or null.
        query: function (name) { return new URLSearchParams(location.search).get(name); },
        fsCommand: function (command, args) {
            if (typeof window.FSCommand === 'function') {
                window.FSCommand(command, args);
            }
        }
    };

    window.__mapvaleMovieRequest = function (request) {
        var call = parse(request);
        if (!call || !(call.name in callbacks)) {
            return false;
        }
        try {
            callbacks[call.name].apply(null, call.args);
        } catch (e) {
            return false;
        }
        return true;
    };
})();
