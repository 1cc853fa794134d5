<?xml version="1.0" encoding="UTF-8"?>
<settings>
	<title>Café & Bar &nbsp; &amp; </title>
	<link>https://example.com/?a=1&b=2</link>
	<description>Arrows &#8594; and ]]> too</description>
	<number>10</number>
</settings>
<ftpsettings>
	<ftpurl>ftp.example.com</ftpurl>
</ftpsettings>
<entries>
	<entry>
		<title>Smile &#128512; & more</title>
		<content>[[p]]Text ]]]]]]> with  control[:bst:] and &#8594;[[/p]][:BR:]x</content>
		<date>06.12.2026 19:41:29</date>
	</entry>
	<entry>
		<title>No end
	<entry>
		<date>12/6/2026 7:41:29 PM</date>
	</entry>
</entries>
