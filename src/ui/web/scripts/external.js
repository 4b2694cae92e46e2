// window.external: the program's registered functions, each forwarded to the program over the
// web channel. Other names read as undefined; a registered name reads as a function that also
// equals true. Nothing is returned to the page.
(function (names) {
    'use strict';
    if (window.top !== window) {
        return;
    }
    var kMaxText = 65536;
    function plain(value) {
        switch (typeof value) {
            case 'string':
                return value.length > kMaxText ? value.slice(0, kMaxText) : value;
            case 'number':
            case 'boolean':
                return value;
            case 'bigint':
                return Number(value);
            case 'object':
                if (value === null) {
                    return null;
                }
                try {
                    var text = JSON.stringify(value);
                    return typeof text === 'string' ? plain(text) : null;
                } catch (e) {
                    return null;
                }
            default:
                return null;
        }
    }
    var functions = Object.create(null);
    names.forEach(function (name) {
        var call = function () {
            var args = [];
            for (var i = 0; i < arguments.length; ++i) {
                args.push(plain(arguments[i]));
            }
            window.__mapvaleChannel(function (objects) {
                objects.mapvaleExternal.call(name, args);
            });
        };
        call.valueOf = function () { return true; };
        call[Symbol.toPrimitive] = function (hint) { return hint === 'string' ? 'true' : 1; };
        functions[name] = call;
    });
    var external = new Proxy(Object.create(null), {
        get: function (target, key) {
            return typeof key === 'string' && key in functions ? functions[key] : undefined;
        },
        has: function (target, key) { return typeof key === 'string' && key in functions; },
        set: function () { return true; },
        deleteProperty: function () { return true; },
        defineProperty: function () { return true; }
    });
    Object.defineProperty(window, 'external', {
        get: function () { return external; },
        set: function () {},
        configurable: false
    });
})
